#pragma once
// What the quad view benchmark and soak share: a state root of their own with the client and
// media libraries registered, the namespace's folder served in-process, the browser window,
// and items made in the object file.

#include "hosts/browser/BrowserWindow.h"
#include "namespace/store/ItemKind.h"

#include <QApplication>
#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace viewbench {

class ViewHost {
public:
    // False with a line on stderr when the libraries cannot be registered.
    bool start(int& argc, char** argv);
    ~ViewHost();

    // A Camera item at host (OC30 3.00, 640x480, camera 1).
    bool addCamera(const std::string& name, const std::string& host);
    bool addGroup(const std::string& name, foldra::ItemKind kind,
                  const std::vector<std::string>& members);
    // Opens an item in the browser's pane (an empty name: the namespace root).
    bool open(const std::string& itemName);
    QWidget* view() const;
    browser::BrowserWindow& window() { return *m_window; }

private:
    std::string m_root;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<browser::BrowserWindow> m_window;
    DWORD m_cookie = 0;
};

// Simulated 640x480 OC30 cameras at subnet.2, .3 … serving pre-encoded frames at fps, in a
// child process, so their CPU is not the measured program's.
class CameraProcess {
public:
    // Forks before any thread or QApplication exists; waits for the frames to be encoded.
    bool start(const std::string& subnet, int count, int fps);
    void stop();
    ~CameraProcess() { stop(); }

private:
    pid_t m_pid = -1;
    int m_pipe = -1;
};

std::string binaryFolder();
// Runs the event loop for span, sleeping when there is nothing to do (a polling loop would
// count its own spinning as the view's CPU).
void pump(std::chrono::milliseconds span);

} // namespace viewbench
