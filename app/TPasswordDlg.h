// The password dialog that guards the master data maintenance and the profile data sheet.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace app {

class TPasswordDlg : public QDialog {
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    static constexpr const char* kPassword = "kovrad";

    // the target, set by the caller: 1 maintenance, 2 profile data sheet editing
    int tag = 0;
    // what the targets open; an empty one means the window is not part of the program yet
    std::function<void()> openMaintenance;
    std::function<void()> openProfileSheet;
    std::function<void(const std::string&)> showMessage;

    QLineEdit* jelszo() const { return jelszo_; }
    QPushButton* okButton() const { return ok_; }
    void Elfogad();

private:
    QLineEdit* jelszo_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace app
