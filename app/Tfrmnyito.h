// The splash window shown while the windows of the program are created.
#pragma once

#include <QWidget>

#include <filesystem>

class QLabel;
class QProgressBar;

namespace app {

class Tfrmnyito : public QWidget {
public:
    // `picture`: the splash picture; a missing or broken one leaves the window without it and
    // tells `error`.
    Tfrmnyito(const std::filesystem::path& picture, int steps, std::string* error = nullptr);
    void step(); // advances the progress bar by one
    QProgressBar* pb() const { return pb_; }
    bool hasPicture() const { return hasPicture_; }

private:
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* pb_ = nullptr;
    bool hasPicture_ = false;
};

} // namespace app
