#include "namespace/resources/FoldraStrings.h"

#include "platform/base/ResourceLibrary.h"

#include <mutex>

namespace foldra {
namespace {

struct BuiltinString {
    unsigned id;
    const char* text;
};

constexpr BuiltinString kStrings[] = {
    {IDS_CREATE_FAILED, "Create item failed."},
    {IDS_CREATE_EXISTS,
     "Cannot create the item. An item with the same name you specified already exists."},
    {IDS_RENAME_FAILED, "Rename item failed."},
    {IDS_RENAME_EXISTS,
     "Cannot rename the item. An item with the same name you specified already exists."},
    {IDS_CONFIRM_DELETE_ITEM, "Are you sure you want to delete %1?"},
    {IDS_NOT_A_DIRECTORY, "%1 is not a directory."},
    {IDS_DIRECTORY_MISSING, "The directory %1 does not exist."},
    {IDS_CONFIRM_DELETE_FILES,
     "Are you sure you want to delete the selected file(s)?\n\nWhen you delete sequences, all the "
     "images included in the sequence will be deleted as well."},
    {IDS_DESKTOP_NOT_RECORDING_FOLDER, "You can not use the Desktop as the recording folder."},
    {IDS_INVALID_FRAME_RATE, "%1 is not a valid frame rate."},
    {IDS_INVALID_MAX_SIZE, "%1 MB is not a valid max sequence size. (Free space: %2 MB)"},
    {IDS_CONFIRM_MAX_SIZE,
     "Max sequence size: %1 MB\nFree disk space: %2 MB\n\nDo you want to continue?"},
    {IDS_INVALID_RECORD_TIME, "%1 is not a valid recording time value."},
    {IDS_SNAPSHOT_NAME, "image"},
    {IDS_SEQUENCE_PREFIX, "sequence"},
    {IDS_JPEG_FILTER, "JPEG Image"},
    {IDS_FPS, "Fps: "},
    {IDS_CONFIRM_CREATE_PATH, "%1 does not exist. Do you want to create it?"},
    {IDS_CREATE_PATH_FAILED, "Could not create %1"},
    {IDS_IDENTIFICATION_FAILED, "Identification failed"},
    {IDS_BAD_DISPLAY_TIME, "%1 is not a valid display time."},
    {IDS_OPEN_ACCESS_DENIED, "Open object file failed. Access denied."},
    {IDS_OPEN_FAILED, "Open object file failed."},
    {IDS_URL_PREFIX, "http://"},
    {IDS_DEFAULT_ALBUM_NAME, "Images"},
    {IDS_DEFAULT_LIVE_NAME, "Live"},
    {IDS_CAPTION_ADD, "Add"},
    {IDS_CAPTION_CONFIRM_DELETE, "Confirm delete"},
    {IDS_CAPTION_ERROR, "Error"},
    {IDS_CAPTION_CONFIRM_MAX_SIZE, "Confirm max size"},
    {IDS_CAPTION_CONFIRM_CREATE, "Confirm create"},
    {IDS_DEFAULT_QUAD_NAME, "QuadView"},
    {IDS_DEFAULT_SWITCH_NAME, "SwitchCam"},
    {IDS_N_ITEMS, "%1 items"},
    {IDS_N_ITEMS_SELECTED, "%1 items selected"},
    {IDS_MENU_EXPLORE, "&Explore"},
    {IDS_MENU_OPEN, "&Open"},
    {IDS_MENU_HOME_PAGE, "Open &home page"},
    {IDS_MENU_PROPERTIES, "&Properties"},
    {IDS_MENU_RENAME, "Rena&me"},
    {IDS_MENU_DELETE, "&Delete"},
    {IDS_MENU_PROPERTIES_VERBS, "Nuvo &properties"},
    {IDS_ADD, "Add"},
    {IDS_ADD_CAMERA, "Add Camera"},
    {IDS_ADD_ALBUM, "Add Album"},
    {IDS_ADD_LIVE_SITE, "Add Live Video site"},
    {IDS_ADD_QUAD_VIEW, "Add Quad View"},
    {IDS_ADD_SWITCH_CAM, "Add Camera Switching"},
    {IDS_COLUMN_ITEMS, "Items"},
    {IDS_COLUMN_IMAGES, "Images and sequences"},
};

// The table is read from any thread while the module is loaded; the lock covers a load or
// unload racing a read.
constinit std::mutex g_libraryMutex;
// Constant-initialised, so nothing runs before the module's load point.
constinit ResourceLibrary g_library;

} // namespace

std::string loadString(unsigned id)
{
    {
        std::lock_guard lock(g_libraryMutex);
        if (const auto text = g_library.find("STRING", id))
            return std::string(*text);
    }
    for (const BuiltinString& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return {};
}

bool loadResourceLibrary(const std::string& folder)
{
    std::lock_guard lock(g_libraryMutex);
    return g_library.load(folder + "/FoldraRes.so", "FoldraResources");
}

void unloadResourceLibrary()
{
    std::lock_guard lock(g_libraryMutex);
    g_library.unload();
}

} // namespace foldra
