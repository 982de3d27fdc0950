#pragma once

// Dialog templates
#define IDD_HOSTS_EDITOR 15176
#define IDD_LOAD_PROGRESS 15227
#define IDD_ABOUT 17118
#define IDD_RECORD 15230
#define IDD_FIND_RECORD 15256
#define IDD_FIND_TEXT 15258

// Controls of the editor form
#define IDC_HOSTS_TEXT 16171
#define IDC_READ_ONLY 16400
#define IDC_HOSTS_TABLE 16525
#define IDC_LAST_MODIFIED_LABEL 17549
#define IDC_LAST_MODIFIED 17550

// Controls of the progress dialog
#define IDC_PROGRESS_CANCEL 16014
#define IDC_PROGRESS_TEXT 16468
#define IDC_PROGRESS_CAPTION 16469
#define IDC_PROGRESS_BAR 16470

// Controls of the About dialog
#define IDC_ABOUT_SITE 17536
#define IDC_ABOUT_SALES 17537
#define IDC_ABOUT_BUGS 17538
#define IDC_ABOUT_SUPPORT 17539
#define IDC_ABOUT_PICTURE 17540
#define IDC_ABOUT_MODULES 17545
#define IDC_ABOUT_VERSION 17547
#define IDC_ABOUT_BETA 17548

// Controls of the record dialog
#define IDC_RECORD_HOST 16271
#define IDC_RECORD_COMMENT 16272
#define IDC_RECORD_ADDRESS_LABEL 16277
#define IDC_RECORD_HOST_LABEL 16279
#define IDC_RECORD_COMMENT_LABEL 16281
#define IDC_RECORD_ADDRESS 16288

// Controls of the two find dialogs
#define IDC_FIND_ADDRESS 16171
#define IDC_FIND_HOST 16172
#define IDC_FIND_COMMENT 16173
#define IDC_FIND_DIRECTION 16397
#define IDC_FIND_UP 16521
#define IDC_FIND_DOWN 16522
#define IDC_FIND_NEXT 16524
#define IDC_FIND_TEXT 16533

// Commands; each is also its tooltip's string and its icon's key
#define ID_ADD_RECORD 42781
#define ID_DELETE_RECORD 42782
#define ID_REFRESH 42783
#define ID_EDIT_RECORD 42784
#define ID_VIEW_AS_TABLE 42795
#define ID_VIEW_AS_TEXT 42796
#define ID_SAVE_CHANGES 42797
#define ID_DISCARD_CHANGES 42798
#define ID_REVERT_TO_DEFAULT 42799
#define ID_SEARCH 42800
#define ID_ABOUT 42801
#define ID_RESET_SKIN 42802
#define ID_SELECT_SKIN 42803

// Sent by the progress dialog's Cancel button to its notify window
#define ID_CANCEL_LOAD 32513

// The default hosts file
#define IDR_DEFAULT_HOSTS 16004

// The About dialog's picture: a 32x32 PNG with alpha
#define IDR_ABOUT_PICTURE 15259
