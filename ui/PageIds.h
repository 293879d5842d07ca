#pragma once
// The pages of both windows, each named once.

// The advanced sheet's pages, in tab order: where a sheet opens or is sent.
enum ESheetPage : int { PAGE_SELECT, PAGE_ETHERNET, PAGE_SERIAL, PAGE_TRANSFER };

// Dialog ids: by them a wizard page's Next or Back jumps, and the help finds a page's text.
enum EDialogId : int {
    IDD_PROP_SELECT = 107,
    IDD_PROP_ETHERNET = 108,
    IDD_PROP_SERIAL = 109,
    IDD_PROP_TRANSFER = 110,
    IDD_WIZ_INTRO = 140,
    IDD_WIZ_FILE = 141,
    IDD_WIZ_BOOT = 142,
    IDD_WIZ_SELECT = 143,
    IDD_WIZ_WAIT = 144,
    IDD_WIZ_DOWNLOAD = 145,
    IDD_WIZ_SUCCESS = 146,
};
