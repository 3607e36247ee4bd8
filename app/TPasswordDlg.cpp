#include "app/TPasswordDlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Jelszó");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel("Jelszó enter:", this));
    jelszo_ = new QLineEdit(this);
    jelszo_->setEchoMode(QLineEdit::Password);
    jelszo_->setMaxLength(10);
    lay->addWidget(jelszo_);
    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton("&Ok", this);
    ok_->setDefault(true);
    cancel_ = new QPushButton("&Mégsem", this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    lay->addLayout(buttons);
    setFixedSize(sizeHint());
    // Enter in the password field moves to "&Ok"
    connect(jelszo_, &QLineEdit::returnPressed, this, [this] { ok_->setFocus(); });
    connect(ok_, &QPushButton::clicked, this, &TPasswordDlg::Elfogad);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::Elfogad() {
    if (jelszo_->text() != QString::fromUtf8(kPassword)) {
        if (showMessage) {
            showMessage("A jelszó híbás!");
        } else {
            QMessageBox::information(this, windowTitle(), "A jelszó híbás!");
        }
        jelszo_->setFocus();
        return;
    }
    accept();
    if (tag == 1 && openMaintenance) {
        openMaintenance();
    } else if (tag == 2 && openProfileSheet) {
        openProfileSheet(); // then the sheet is loaded into the converter again (the caller)
    }
    jelszo_->setFocus();
}

} // namespace app
