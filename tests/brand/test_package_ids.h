// Resource ids of the test packages and strings built into brand_win_test.exe
// and brand_config_probe.exe (see CMakeLists.txt).
#pragma once

#define TEST_PACKAGE_NOT_A_CABINET 1001
#define TEST_PACKAGE_OTHER_MEMBER 1002
#define TEST_PACKAGE_ABSURD_SIZE 1003
#define TEST_PACKAGE_TWO_FILES 1004
#define TEST_PACKAGE_TRUNCATED 1005
#define TEST_PACKAGE_DATA_PAST_END 1006
#define TEST_PACKAGE_CONTINUED 1007
#define TEST_PACKAGE_PRECEDENCE_PARTNER 1008
#define TEST_PACKAGE_PRECEDENCE_BRAND 1009
#define TEST_PACKAGE_NOT_JSON 1010

// A string-table block (ids 400-415) in Russian, and one in English that
// lacks TEST_STRING_RUSSIAN_ONLY.
#define TEST_STRING_BOTH 400
#define TEST_STRING_RUSSIAN_ONLY 401
#define TEST_STRING_NOWHERE 405
