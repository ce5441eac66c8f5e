#pragma once
// Gives a test a fresh, empty state root (registry hives, logs, object file) and removes it
// afterwards, so no test touches a user's data or another test's.

#include <string>

class TempStateRoot {
public:
    TempStateRoot();
    ~TempStateRoot();
    TempStateRoot(const TempStateRoot&) = delete;
    TempStateRoot& operator=(const TempStateRoot&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};
