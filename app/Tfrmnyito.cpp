#include "app/Tfrmnyito.h"

#include "app/jpeg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace app {

Tfrmnyito::Tfrmnyito(const std::filesystem::path& picture, int steps, std::string* error)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(461, 291);
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 460, 290);
    Image1->setScaledContents(true);
    const QImage img = loadJpeg(picture, error);
    if (!img.isNull()) {
        Image1->setPixmap(QPixmap::fromImage(img));
        hasPicture_ = true;
    }
    Label1 = new QLabel("Verzió 25.12.1", this);
    Label1->setStyleSheet("color: white; font-weight: bold; background: transparent;");
    Label1->move(336, 256);
    pb_ = new QProgressBar(this);
    pb_->setGeometry(280, 242, 160, 7);
    pb_->setTextVisible(false);
    pb_->setMinimum(0);
    pb_->setMaximum(steps);
    pb_->setValue(0);
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        move(s->geometry().center() - rect().center());
    }
}

void Tfrmnyito::step() { pb_->setValue(pb_->value() + 1); }

} // namespace app
