#pragma once
// A registered object file with a few items, a QApplication on the offscreen platform, and the
// root folder initialised as the browser does (My Computer's identifier, then none of ours).

#include "namespace/folder/CamFolder.h"
#include "namespace/tests/StoreFixture.h"
#include "platform/com/ComPtr.h"

#include <QApplication>
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FolderFixture : public StoreFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // An absolute list under My Computer made of the given own identifiers.
    static IdList absoluteList(const std::vector<foldra::CamItemId>& own);
    static IdList child(foldra::ItemKind kind, const std::string& name);
    void createItem(const std::string& name, foldra::ItemKind kind,
                    const std::string& address = "");
    // Makes this test's own build of the folder class the running server of CLSID_CamFolder (the
    // registered library is not loaded); cookie is for CoRevokeClassObject.
    static HRESULT serveOwnFolderClass(DWORD* cookie);
    // A folder of this test's own build of the namespace, initialised with absolute.
    ComPtr<IShellFolder> folderAt(LPCITEMIDLIST absolute);
    std::vector<std::string> enumerateNames(IShellFolder* folder);
    // Runs action on the modal dialog that the next call shows (within 20 s); the action must
    // close it.
    static void whenDialogShows(std::function<void(QDialog*)> action);

    std::unique_ptr<QApplication> m_app;
    ComPtr<IShellFolder> m_rootFolder;
    IdList m_rootList;
};
