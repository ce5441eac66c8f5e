#pragma once
// The namespace's object file B70B3711_525C_11D4_B070_009027BD8645.rfo in the data folder:
// a compound file holding one stream per item. Each store operation opens it for exclusive
// use (a lock beside it, held until the ObjectFile is destroyed), reads the whole element
// tree, and commits a change by writing a new file that replaces the old one, so a crash at
// any point leaves either the old or the new file. The file is readable by its owner only:
// it holds passwords.

#include "namespace/store/CompoundFile.h"
#include "platform/com/Guid.h"

#include <memory>
#include <string>

namespace foldra {

enum class ObjectFileAccess { Read, ReadWrite };

// A file from outside is refused beyond this size.
inline constexpr std::size_t kMaxObjectFileBytes = 64u << 20;

class ObjectFile {
public:
    ~ObjectFile();
    ObjectFile(const ObjectFile&) = delete;
    ObjectFile& operator=(const ObjectFile&) = delete;

    // The class id in the file-name form "%X_%X_%X_%02X%02X_%02X…" with ".rfo".
    static std::string fileNameFor(const GUID& clsid);
    // In the data folder; empty when the data folder cannot be made.
    static std::string defaultPath();

    // \retval S_OK
    // \retval STG_E_FILENOTFOUND    no file
    // \retval STG_E_ACCESSDENIED    the file (or, for writing, its folder) may not be used
    // \retval STG_E_SHAREVIOLATION  another operation holds the file
    // \retval STG_E_INVALIDHEADER, STG_E_DOCFILECORRUPT  the file is damaged (left alone)
    // \retval STG_E_READFAULT       reading failed
    static HRESULT open(const std::string& path, ObjectFileAccess access,
                        std::unique_ptr<ObjectFile>* file);
    // A new, empty compound file, held for writing. STG_E_FILEALREADYEXISTS when one exists.
    static HRESULT create(const std::string& path, std::unique_ptr<ObjectFile>* file);

    StorageElement& root() { return m_root; }
    const std::string& path() const { return m_path; }

    // Writes the tree to a new file beside the old one and renames it over it.
    // \retval S_OK, STG_E_ACCESSDENIED (opened for reading), STG_E_WRITEFAULT, STG_E_MEDIUMFULL
    HRESULT commit();

private:
    ObjectFile(std::string path, int lockFd, ObjectFileAccess access);
    static HRESULT lock(const std::string& path, int* lockFd);
    void removeStaleTemporaries() const;

    std::string m_path;
    int m_lockFd;
    ObjectFileAccess m_access;
    StorageElement m_root;
};

} // namespace foldra
