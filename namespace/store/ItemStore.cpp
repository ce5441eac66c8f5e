#include "namespace/store/ItemStore.h"

#include "namespace/resources/FoldraStrings.h"
#include "namespace/store/ItemPath.h"
#include "namespace/store/RecordStream.h"
#include "platform/base/Utf.h"
#include "platform/ui/MessageBox.h"

#include <cstdio>
#include <unistd.h>

namespace foldra {
namespace {

struct AddItem {
    unsigned textId;
    ItemKind kind;
};

// In the order they are registered.
constexpr AddItem kAddItems[] = {
    {IDS_ADD_CAMERA, ItemKind::AddCamera},        {IDS_ADD_LIVE_SITE, ItemKind::AddLiveSite},
    {IDS_ADD_ALBUM, ItemKind::AddAlbum},          {IDS_ADD_QUAD_VIEW, ItemKind::AddQuadView},
    {IDS_ADD_SWITCH_CAM, ItemKind::AddSwitchCam},
};

void warn(HWND owner, unsigned textId)
{
    showMessageBox(owner, loadString(textId), loadString(IDS_CAPTION_ERROR),
                   MB_ICONWARNING | MB_OK);
}

std::string cutName(const std::string& name)
{
    return utf16ToUtf8(cutToIdName(utf8ToUtf16(name)));
}

// The stream of an item path inside an open file; null when a part is missing.
StorageElement* findStream(StorageElement& root, const std::string& itemPath)
{
    std::vector<std::string> parts = splitItemPath(itemPath);
    if (parts.empty())
        return nullptr;
    StorageElement* folder = walkStorages(root, parts, parts.size() - 1);
    if (!folder)
        return nullptr;
    StorageElement* stream = folder->find(parts.back());
    return stream && stream->type == ElementType::Stream ? stream : nullptr;
}

} // namespace

StorageElement* walkStorages(StorageElement& root, const std::vector<std::string>& parts,
                             std::size_t count)
{
    StorageElement* current = &root;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) {
        current = current->find(parts[i]);
        if (!current || current->type != ElementType::Storage)
            return nullptr;
    }
    return current;
}

ItemStore::ItemStore() : m_path(ObjectFile::defaultPath()) {}

ItemStore::ItemStore(std::string objectFilePath) : m_path(std::move(objectFilePath)) {}

HRESULT ItemStore::OpenObjectFile(ObjectFileAccess access, std::unique_ptr<ObjectFile>* file,
                                  HWND owner) const
{
    HRESULT hr = ObjectFile::open(m_path, access, file);
    if (FAILED(hr))
        warn(owner, hr == STG_E_ACCESSDENIED ? IDS_OPEN_ACCESS_DENIED : IDS_OPEN_FAILED);
    return hr;
}

HRESULT ItemStore::Enumerate(const std::string& folderPath, std::vector<CamItemId>* items) const
{
    items->clear();
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::Read, &file); FAILED(hr))
        return hr;
    std::vector<std::string> parts = splitItemPath(folderPath);
    StorageElement* folder = walkStorages(file->root(), parts, parts.size());
    if (!folder)
        return STG_E_FILENOTFOUND;
    for (const StorageElement& element : folder->children) {
        if (element.type == ElementType::Storage) {
            ItemKind kind =
                element.name == kAddFolderName ? ItemKind::AddFolder : ItemKind::SubFolder;
            items->push_back(CamItemId::make(kind, element.name));
            continue;
        }
        ItemRecord record;
        ItemKind kind = ItemKind::Camera;
        // A damaged record is left out rather than shown as something it may not be.
        if (FAILED(decodeRecord(element.bytes, &record, &kind)))
            continue;
        // Named by the element, so the identifier always leads back to the stream.
        items->push_back(CamItemId::make(kind, element.name));
    }
    return S_OK;
}

HRESULT ItemStore::Read(const std::string& itemPath, ItemRecord* record, ItemKind* kind) const
{
    if (itemPath.empty())
        return E_FAIL;
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::Read, &file); FAILED(hr))
        return hr;
    StorageElement* stream = findStream(file->root(), itemPath);
    if (!stream)
        return STG_E_FILENOTFOUND;
    ItemKind readKind = ItemKind::Camera;
    HRESULT hr = decodeRecord(stream->bytes, record, &readKind);
    if (kind)
        *kind = readKind;
    return hr;
}

HRESULT ItemStore::Create(const ItemRecord& record, ItemKind kind, HWND owner) const
{
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::ReadWrite, &file, owner); FAILED(hr))
        return hr;
    if (record.name.empty())
        return S_OK;
    StorageElement* stream = nullptr;
    HRESULT hr = file->root().create(cutName(record.name), ElementType::Stream, &stream);
    if (SUCCEEDED(hr)) {
        stream->bytes = encodeRecord(record, kind);
        hr = file->commit();
    }
    if (FAILED(hr))
        warn(owner, hr == STG_E_FILEALREADYEXISTS ? IDS_CREATE_EXISTS : IDS_CREATE_FAILED);
    return hr;
}

HRESULT ItemStore::Save(const std::string& itemPath, const ItemRecord& record, ItemKind kind) const
{
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::ReadWrite, &file); FAILED(hr))
        return hr;
    StorageElement* stream = findStream(file->root(), itemPath);
    if (!stream)
        return STG_E_FILENOTFOUND;
    // The whole stream is replaced: bytes of a longer earlier record (an old password) must
    // not linger after it.
    stream->bytes = encodeRecord(record, kind);
    return file->commit();
}

HRESULT ItemStore::Rename(const std::string& folderPath, const std::string& oldName,
                          const std::string& newName, CamItemId* renamed, HWND owner) const
{
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::ReadWrite, &file, owner); FAILED(hr))
        return hr;
    std::vector<std::string> parts = splitItemPath(folderPath);
    StorageElement* folder = walkStorages(file->root(), parts, parts.size());
    StorageElement* element = folder ? folder->find(oldName) : nullptr;
    std::string target = cutName(newName);
    HRESULT hr = element ? checkElementName(target) : STG_E_FILENOTFOUND;
    if (SUCCEEDED(hr)) {
        const StorageElement* existing = folder->find(target);
        // Only a change of letter case may meet the element itself.
        if (existing && existing != element)
            hr = STG_E_FILEALREADYEXISTS;
    }
    ItemKind kind = ItemKind::SubFolder;
    if (SUCCEEDED(hr)) {
        element->name = target;
        if (element->type == ElementType::Stream) {
            ItemRecord record;
            hr = decodeRecord(element->bytes, &record, &kind);
            if (SUCCEEDED(hr)) {
                record.name = newName;
                element->bytes = encodeRecord(record, kind);
            }
        } else if (target == kAddFolderName) {
            kind = ItemKind::AddFolder;
        }
    }
    if (SUCCEEDED(hr))
        hr = file->commit();
    if (FAILED(hr)) {
        warn(owner, hr == STG_E_FILEALREADYEXISTS ? IDS_RENAME_EXISTS : IDS_RENAME_FAILED);
        return hr;
    }
    if (renamed)
        *renamed = CamItemId::make(kind, newName);
    return S_OK;
}

HRESULT ItemStore::Delete(const std::string& itemPath, HWND owner) const
{
    std::string question = formatMessage(loadString(IDS_CONFIRM_DELETE_ITEM), {itemPath});
    if (showMessageBox(owner, question, loadString(IDS_CAPTION_CONFIRM_DELETE),
                       MB_ICONQUESTION | MB_YESNO) != IDYES)
        return E_ABORT;
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::ReadWrite, &file, owner); FAILED(hr))
        return hr;
    std::vector<std::string> parts = splitItemPath(itemPath);
    if (parts.empty())
        return E_FAIL;
    StorageElement* folder = walkStorages(file->root(), parts, parts.size() - 1);
    if (!folder)
        return STG_E_FILENOTFOUND;
    if (HRESULT hr = folder->destroy(parts.back()); FAILED(hr))
        return hr;
    return file->commit();
}

HRESULT ItemStore::UniqueName(const std::string& itemPath, std::string* name) const
{
    std::unique_ptr<ObjectFile> file;
    if (HRESULT hr = OpenObjectFile(ObjectFileAccess::Read, &file); FAILED(hr))
        return hr;
    std::vector<std::string> parts = splitItemPath(itemPath);
    if (parts.empty())
        return E_FAIL;
    StorageElement* folder = walkStorages(file->root(), parts, parts.size() - 1);
    if (!folder)
        return STG_E_FILENOTFOUND;
    for (int n = 1; n <= kMaxUniqueNameNumber; ++n) {
        std::string candidate = parts.back();
        if (n > 1)
            candidate += "(" + std::to_string(n) + ")";
        if (!folder->find(cutName(candidate))) {
            std::u16string wide = utf8ToUtf16(candidate);
            if (wide.size() > kMaxUniqueNameUnits)
                wide.resize(kMaxUniqueNameUnits);
            *name = utf16ToUtf8(wide);
            return S_OK;
        }
    }
    return STG_E_INVALIDNAME;
}

HRESULT ItemStore::RegisterStore() const
{
    if (m_path.empty())
        return E_FAIL;
    std::unique_ptr<ObjectFile> file;
    HRESULT hr = ObjectFile::open(m_path, ObjectFileAccess::ReadWrite, &file);
    // Only a missing file is made anew: a damaged one may still hold a user's items.
    if (hr == STG_E_FILENOTFOUND)
        hr = ObjectFile::create(m_path, &file);
    if (FAILED(hr))
        return hr;
    bool changed = false;
    StorageElement* addFolder = file->root().find(kAddFolderName);
    if (addFolder && addFolder->type != ElementType::Storage)
        return STG_E_FILEALREADYEXISTS;
    if (!addFolder) {
        if (HRESULT created = file->root().create(kAddFolderName, ElementType::Storage, &addFolder);
            FAILED(created))
            return created;
        changed = true;
    }
    for (const AddItem& item : kAddItems) {
        std::string name = loadString(item.textId);
        StorageElement* stream = nullptr;
        if (FAILED(addFolder->create(name, ElementType::Stream, &stream)))
            continue;
        ItemRecord record;
        record.name = name;
        stream->bytes = encodeRecord(record, item.kind);
        changed = true;
    }
    return changed ? file->commit() : S_OK;
}

HRESULT ItemStore::UnregisterStore() const
{
    if (m_path.empty())
        return E_FAIL;
    if (::unlink(m_path.c_str()) != 0)
        return STG_E_FILENOTFOUND;
    ::unlink((m_path + ".lock").c_str());
    return S_OK;
}

} // namespace foldra
