// Resource and control numbers of the dialogs, shared by the resource scripts
// and ui/. Plain #defines: the resource compiler reads this file too.
#pragma once

// Dialog templates.
#define IDD_INSTALLER 129
#define IDD_MESSAGE 202

// The window icon.
#define IDI_INSTALLER 128

// Images (RCDATA).
#define IDB_CHECK_BOX_STRIP 302
#define IDB_INSTALLER_BACKGROUND 307
#define IDB_INSTALL_BUTTON 309
#define IDB_CANCEL_BUTTON 310
#define IDB_PROGRESS_FILL 313
#define IDB_PROGRESS_TRACK 314
#define IDB_MESSAGE_BACKGROUND 315
#define IDB_MESSAGE_FIRST_BUTTON 316
#define IDB_MESSAGE_SECOND_BUTTON 317

// Controls. 1 (Install / the message dialog's action) and -1 (plain text) are
// the system's IDOK and IDC_STATIC.
#define IDC_TITLE 1000
#define IDC_MAKE_DEFAULT 1002
#define IDC_SEND_STATISTICS 1003
#define IDC_CANCEL 1010
#define IDC_PROGRESS 1012
#define IDC_TIME_LEFT 1013
#define IDC_LICENSE_LINK 1020
#define IDC_PRIVACY_LINK 1021

// Strings (ids 400-423 in every language).
#define IDS_INSTALL 400
#define IDS_ERROR_TITLE 401
#define IDS_OK 402
#define IDS_LICENSE_SENTENCE 405
#define IDS_TITLE 408
#define IDS_DOWNLOAD 410
#define IDS_NEWER_VERSION_TITLE 411
#define IDS_ERROR_BODY 412
#define IDS_CANCEL 413
#define IDS_PRIVACY_POLICY 414
#define IDS_NEWER_VERSION_BODY 415
#define IDS_ALTERNATE_TITLE 416
#define IDS_ERROR_CANCEL 417
#define IDS_WINDOW_TITLE 419
#define IDS_SEND_STATISTICS 421
#define IDS_MAKE_DEFAULT 422
