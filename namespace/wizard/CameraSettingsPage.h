#pragma once
// The camera's host and port, its type found by identification (or chosen by hand), and the
// resolution and video source offered by the type or by the camera's own parameter list.

#include "common/ICamIdentifyTarget.h"
#include "namespace/wizard/ItemPage.h"
#include "platform/com/ComPtr.h"

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace foldra {

// How long identification may wait for the camera's greeting.
inline constexpr UI4 kIdentifyTimeoutMs = 5000;
// The host part of an address is at most this many bytes, the port at most this many characters.
inline constexpr int kMaxHostLength = 260;
inline constexpr int kMaxPortLength = 5;

struct HostAndPort {
    std::string host;
    std::string port; // "80" when the address has none
};
// Splits at the first colon; the host cut to kMaxHostLength bytes, the port trimmed and cut.
HostAndPort splitAddress(const std::string& address);

class CameraSettingsPage final : public ItemPage {
    Q_OBJECT
public:
    explicit CameraSettingsPage(EditedItem& item, QWidget* parent = nullptr);

    // Identifies the camera (blocking, with the wait cursor) and fills the lists.
    void activate() override;
    // Host and port become the address; type, resolution and camera are stored.
    bool leave() override;

private:
    enum class TypeSource { None, Identified, Parameters, Chosen };

    bool canGoOn() const override;
    void choose();
    // Both lists from the camera's parameters, or else from the target.
    void fillLists();
    void fillList(QComboBox* box, INT flag, const std::string& selected);

    QLineEdit* m_host;       // 246, "hostEdit"
    QLineEdit* m_port;       // 242, "portEdit"
    QLineEdit* m_type;       // 211, "typeText"
    QPushButton* m_choose;   // 243, "chooseButton"
    QComboBox* m_resolution; // 214, "resolutionList"
    QComboBox* m_camera;     // 216, "cameraList"

    std::string m_address; // as identified; the parameter answers belong to it
    ComPtr<ICamIdentifyTarget> m_identify;
    ComPtr<ICamTarget> m_target;
    TypeSource m_source = TypeSource::None;
    bool m_parametersAnswered = false; // the camera's parameter list could be read
    std::string m_model;               // stored on leaving, with m_firmware
    std::string m_firmware;
};

} // namespace foldra
