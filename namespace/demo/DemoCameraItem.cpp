// Puts a camera item into the namespace's object file straight through the item store, for
// the demo and for scripts that set up a machine without the add wizard:
//
//   foldra-demo-item NAME HOST MODEL FIRMWARE RESOLUTION
//
// An item of that name is rewritten with the new values. Exit status 0 on success.

#include "namespace/store/ItemPath.h"
#include "namespace/store/ItemStore.h"
#include "platform/ui/MessageBox.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: foldra-demo-item NAME HOST MODEL FIRMWARE RESOLUTION\n");
        return 2;
    }
    // No window here: what the store would show in a box goes to standard error.
    setMessageBoxHook([](const MessageBoxQuestion& question) {
        std::fprintf(stderr, "foldra-demo-item: %s\n", question.text.c_str());
        return IDOK;
    });
    foldra::ItemRecord record;
    record.name = argv[1];
    record.address = argv[2];
    record.model = argv[3];
    record.firmware = argv[4];
    record.resolution = argv[5];
    record.camera = "1";
    if (record.name.empty() || record.address.empty()) {
        std::fprintf(stderr, "foldra-demo-item: the name and the host must not be empty\n");
        return 2;
    }
    foldra::ItemStore store;
    if (FAILED(store.RegisterStore())) {
        std::fprintf(stderr, "foldra-demo-item: cannot prepare %s\n",
                     store.objectFilePath().c_str());
        return 1;
    }
    const std::string path = foldra::joinItemPath("", record.name);
    foldra::ItemRecord existing;
    HRESULT hr = SUCCEEDED(store.Read(path, &existing))
                     ? store.Save(path, record, foldra::ItemKind::Camera)
                     : store.Create(record, foldra::ItemKind::Camera, nullptr);
    if (FAILED(hr)) {
        std::fprintf(stderr, "foldra-demo-item: cannot store %s in %s (0x%08X)\n",
                     record.name.c_str(), store.objectFilePath().c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("camera item \"%s\" -> %s in %s\n", record.name.c_str(), record.address.c_str(),
                store.objectFilePath().c_str());
    return 0;
}
