#pragma once
// Every read and write of namespace items goes through these operations. Each one opens the
// object file, works and closes it again; nothing stays open between operations. They run on
// the calling user-interface thread. Paths are ItemPaths ("B70B3711\Add Camera").
//
// Failures a user must know of show a warning box (caption 1504 "Error"): 1021/1022 when the
// object file cannot be opened (also when another operation holds it), 1000/1001 on create,
// 1002/1003 on rename. Delete asks first (1004).

#include "namespace/store/CamItemId.h"
#include "namespace/store/ItemRecord.h"
#include "namespace/store/ObjectFile.h"
#include "platform/base/WinTypes.h"

#include <string>
#include <vector>

namespace foldra {

// The Add folder's storage: the class id's first 32 bits in "%X".
inline constexpr const char* kAddFolderName = "B70B3711";
// UniqueName tries the name itself, then "(2)" … "(99)" appended.
inline constexpr int kMaxUniqueNameNumber = 99;
inline constexpr std::size_t kMaxUniqueNameUnits = 260;

class ItemStore {
public:
    // The object file of the data folder, or another one (tests).
    ItemStore();
    explicit ItemStore(std::string objectFilePath);

    const std::string& objectFilePath() const { return m_path; }

    // Opens with exclusive use; on failure shows 1021 (access denied) or 1022 (owner: the
    // active window when null) and returns the failure.
    HRESULT OpenObjectFile(ObjectFileAccess access, std::unique_ptr<ObjectFile>* file,
                           HWND owner = nullptr) const;

    // The elements of the folder in the order the file holds them: storages as SubFolder
    // (AddFolder for "B70B3711" exactly), streams by their record's kind.
    HRESULT Enumerate(const std::string& folderPath, std::vector<CamItemId>* items) const;
    // E_FAIL for the empty path; the stream's status when an element is missing.
    HRESULT Read(const std::string& itemPath, ItemRecord* record, ItemKind* kind = nullptr) const;
    // A stream in the root named by the record's first 32 units; S_OK doing nothing for an
    // empty name. STG_E_FILEALREADYEXISTS (message 1001), other failures message 1000.
    HRESULT Create(const ItemRecord& record, ItemKind kind, HWND owner) const;
    // Rewrites the existing stream. STG_E_FILENOTFOUND when it does not exist.
    HRESULT Save(const std::string& itemPath, const ItemRecord& record, ItemKind kind) const;
    // Renames within folderPath and sets the record's name; renamed gets the new identifier.
    HRESULT Rename(const std::string& folderPath, const std::string& oldName,
                   const std::string& newName, CamItemId* renamed, HWND owner = nullptr) const;
    // Asks "Are you sure you want to delete %1?"; E_ABORT on No, changing nothing.
    HRESULT Delete(const std::string& itemPath, HWND owner) const;
    // The first of name, name(2) … name(99) that does not exist beside the item.
    // STG_E_INVALIDNAME when all exist.
    HRESULT UniqueName(const std::string& itemPath, std::string* name) const;

    // Creates the file when there is none, and the Add folder with the five add-items that are
    // missing; existing items stay as they are. A damaged file is refused and left alone.
    HRESULT RegisterStore() const;
    // Deletes the object file.
    HRESULT UnregisterStore() const;

private:
    std::string m_path;
};

// Walks the storages named by parts [0, count) below root; null when one is missing or is
// a stream.
StorageElement* walkStorages(StorageElement& root, const std::vector<std::string>& parts,
                             std::size_t count);

} // namespace foldra
