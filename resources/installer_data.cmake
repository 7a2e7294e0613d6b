# The two data files that the installer hands to the browser setup, made at
# configure time into ${LI_GENERATED_DIR} and built in by installer_data.rc:
#  - master_preferences.json (BIN 305): UTF-8, LF, two-space indentation. Its
#    "variations_seed" is the browser's field-trial seed, which the installer
#    only copies; this build supplies a deterministic placeholder of 5728
#    Base64 characters (4296 bytes) derived from SHA-512 blocks, so the file is
#    reproducible and still a valid seed-sized Base64 text.
#  - clids.xml (BIN 306): CRLF, declared windows-1251, the vendor name from
#    LI_VENDOR_NAME.
set(_li_base64_alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
set(_li_seed_length 5728)
set(LI_VARIATIONS_SEED "")
set(_li_block 0)
string(LENGTH "${LI_VARIATIONS_SEED}" _li_have)
while(_li_have LESS _li_seed_length)
  string(SHA512 _li_hash "tavrix variations seed ${_li_block}")
  # 64 bytes per block; each byte picks one of the 64 characters.
  foreach(_li_pos RANGE 0 126 2)
    string(SUBSTRING "${_li_hash}" ${_li_pos} 2 _li_hex)
    math(EXPR _li_index "0x${_li_hex} % 64")
    string(SUBSTRING "${_li_base64_alphabet}" ${_li_index} 1 _li_char)
    string(APPEND LI_VARIATIONS_SEED "${_li_char}")
  endforeach()
  math(EXPR _li_block "${_li_block} + 1")
  string(LENGTH "${LI_VARIATIONS_SEED}" _li_have)
endwhile()
string(SUBSTRING "${LI_VARIATIONS_SEED}" 0 ${_li_seed_length} LI_VARIATIONS_SEED)

configure_file(${CMAKE_CURRENT_LIST_DIR}/master_preferences.json.in
               ${LI_GENERATED_DIR}/master_preferences.json @ONLY NEWLINE_STYLE LF)
configure_file(${CMAKE_CURRENT_LIST_DIR}/clids.xml.in ${LI_GENERATED_DIR}/clids.xml @ONLY
               NEWLINE_STYLE CRLF)
list(APPEND LI_RESOURCE_DEPENDS ${LI_GENERATED_DIR}/master_preferences.json
     ${LI_GENERATED_DIR}/clids.xml ${CMAKE_CURRENT_LIST_DIR}/installer_data.rc
     ${CMAKE_CURRENT_LIST_DIR}/installer_data_resources.h)
set(LI_RESOURCE_DEPENDS ${LI_RESOURCE_DEPENDS} PARENT_SCOPE)
