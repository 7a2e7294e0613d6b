# The one home of deployment values: server hosts, the vendor name and the
# file of trust keys. The defaults point at loopback, for development and tests;
# a release build sets every value (see the README).
set(LI_DOWNLOAD_BASE "http://127.0.0.1:18080/browser/" CACHE STRING
    "Download base of the browser setup (plain HTTP, path /browser/)")
set(LI_LEGAL_BASE "http://127.0.0.1:18080/legal" CACHE STRING
    "Legal documents server; /browser_agreement/ and /confidential/ are appended")
set(LI_STATUS_ENDPOINT "https://127.0.0.1:18443/get/browser/install" CACHE STRING
    "Status endpoint (HTTPS)")
set(LI_CLICK_BASE "http://127.0.0.1:18081" CACHE STRING
    "Click statistics server (plain HTTP); the fixed path is appended")
set(LI_VENDOR_NAME "tavrix.example_350525" CACHE STRING
    "Vendor name attribute of the built-in clids file")
set(LI_TRUST_KEYS_FILE "" CACHE FILEPATH
    "File of ten RSA-1024 public keys (PEM), ids 0 to 9 in order. Empty: development keys")
option(LI_RELEASE "Release build: refuses to embed development trust keys" OFF)
set(LI_PARTNER_CONFIG "" CACHE FILEPATH
    "JSON source of a partner package (resource BIN 320); empty: none")
set(LI_BRAND_CONFIGS "" CACHE STRING
    "List of name=path.json pairs; each becomes the brand package BRAND_<NAME>")
option(LI_SHORT_NETWORK_BOUNDS
       "Test builds only: request timeouts of seconds (setup/request_bounds.h), so that the Wine tests of silent and stalled servers stay short"
       OFF)
if(LI_RELEASE AND LI_SHORT_NETWORK_BOUNDS)
  message(FATAL_ERROR "LI_SHORT_NETWORK_BOUNDS is for test builds: users on slow lines need the "
                      "real request bounds. Turn it off for a release.")
endif()
