# Chooses the public keys that sign the trusted info of a downloaded setup.
# LI_TRUST_KEYS_FILE names the publisher's ten public keys. Without it, ten
# development key pairs are made once in this build folder (never in the
# source tree); their private halves let the tests sign documents. A release
# build (LI_RELEASE) never gets here without the publisher's file: the folder's
# CMakeLists.txt stops it first.
# Sets LI_EFFECTIVE_TRUST_KEYS_FILE.
if(LI_TRUST_KEYS_FILE)
  set(LI_EFFECTIVE_TRUST_KEYS_FILE "${LI_TRUST_KEYS_FILE}")
  return()
endif()
set(dev_dir "${CMAKE_BINARY_DIR}/dev_keys")
set(public_file "${dev_dir}/public_keys.pem")
if(NOT EXISTS "${public_file}")
  find_program(LI_OPENSSL openssl)
  if(NOT LI_OPENSSL)
    message(FATAL_ERROR "openssl is needed to make development trust keys (or set LI_TRUST_KEYS_FILE)")
  endif()
  file(MAKE_DIRECTORY "${dev_dir}")
  set(public_text "")
  foreach(id RANGE 9)
    execute_process(COMMAND ${LI_OPENSSL} genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024
                            -pkeyopt rsa_keygen_pubexp:65537 -out "${dev_dir}/key${id}.pem"
                    RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "openssl genpkey failed: ${err}")
    endif()
    execute_process(COMMAND ${LI_OPENSSL} pkey -in "${dev_dir}/key${id}.pem" -pubout
                    OUTPUT_VARIABLE public RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "openssl pkey failed: ${err}")
    endif()
    string(APPEND public_text "${public}")
  endforeach()
  file(WRITE "${public_file}.tmp" "${public_text}")
  file(RENAME "${public_file}.tmp" "${public_file}")
endif()
message(WARNING "DEVELOPMENT TRUST KEYS ARE EMBEDDED: LI_TRUST_KEYS_FILE is empty, so the key "
                "table comes from ${public_file}. A setup signed by the publisher will not verify "
                "with this build. Set LI_TRUST_KEYS_FILE (and LI_RELEASE=ON) for a release.")
set(LI_EFFECTIVE_TRUST_KEYS_FILE "${public_file}")
