#pragma once
// The namespace's string table, and the optional resource library "FoldraRes.so" beside the
// module that overrides it (a ResourceLibrary whose table is "FoldraResources", with "STRING"
// entries).

#include <string>

namespace foldra {

enum StringId : unsigned {
    IDS_CREATE_FAILED = 1000,
    IDS_CREATE_EXISTS = 1001,
    IDS_RENAME_FAILED = 1002,
    IDS_RENAME_EXISTS = 1003,
    IDS_CONFIRM_DELETE_ITEM = 1004,
    IDS_CONFIRM_CREATE_PATH = 1006,
    IDS_CREATE_PATH_FAILED = 1007,
    IDS_NOT_A_DIRECTORY = 1008,
    IDS_IDENTIFICATION_FAILED = 1010,
    IDS_DIRECTORY_MISSING = 1011,
    IDS_CONFIRM_DELETE_FILES = 1012,
    IDS_DESKTOP_NOT_RECORDING_FOLDER = 1013,
    IDS_INVALID_FRAME_RATE = 1014,
    IDS_INVALID_MAX_SIZE = 1016,
    IDS_CONFIRM_MAX_SIZE = 1017,
    IDS_INVALID_RECORD_TIME = 1018,
    IDS_BAD_DISPLAY_TIME = 1020,
    IDS_OPEN_ACCESS_DENIED = 1021,
    IDS_OPEN_FAILED = 1022,
    IDS_URL_PREFIX = 1100,
    IDS_SNAPSHOT_NAME = 1101,
    IDS_SEQUENCE_PREFIX = 1102,
    IDS_JPEG_FILTER = 1103,
    IDS_FPS = 1104,
    IDS_DEFAULT_ALBUM_NAME = 1500,
    IDS_DEFAULT_LIVE_NAME = 1501,
    IDS_CAPTION_ADD = 1502,
    IDS_CAPTION_CONFIRM_DELETE = 1503,
    IDS_CAPTION_ERROR = 1504,
    IDS_CAPTION_CONFIRM_CREATE = 1506,
    IDS_CAPTION_CONFIRM_MAX_SIZE = 1508,
    IDS_DEFAULT_QUAD_NAME = 1509,
    IDS_DEFAULT_SWITCH_NAME = 1510,
    IDS_N_ITEMS = 1600,
    IDS_N_ITEMS_SELECTED = 1601,
    IDS_MENU_EXPLORE = 2000,
    IDS_MENU_OPEN = 2001,
    IDS_MENU_HOME_PAGE = 2002,
    IDS_MENU_PROPERTIES = 2003,
    IDS_MENU_RENAME = 2004,
    IDS_MENU_DELETE = 2005,
    IDS_MENU_PROPERTIES_VERBS = 2006,
    IDS_ADD = 3000,
    IDS_ADD_CAMERA = 3001,
    IDS_ADD_ALBUM = 3002,
    IDS_ADD_LIVE_SITE = 3003,
    IDS_ADD_QUAD_VIEW = 3006,
    IDS_ADD_SWITCH_CAM = 3007,
    IDS_COLUMN_ITEMS = 4000,
    IDS_COLUMN_IMAGES = 4001,
};

// From the resource library when it has the entry, else built in; "" for an unknown id.
std::string loadString(unsigned id);

// Loads FoldraRes.so from folder once per process life of the module; false when absent.
bool loadResourceLibrary(const std::string& folder);
void unloadResourceLibrary();

} // namespace foldra
