#include "ui/qt_messages.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {
// The program's messages break their lines with CR (as "\r" in the texts); a box shows them
// as line breaks.
QString boxText(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
} // namespace

const char* const QtMessages::kInformation = "Információ";
const char* const QtMessages::kWarning = "Figyelem";
const char* const QtMessages::kError = "Hiba";
const char* const QtMessages::kConfirm = "Megerősítés";

namespace {

enum class Buttons { Ok, YesNo, OkCancel };

// A modal box; true when the accepting button ("OK" or "Igen") was pressed.
bool box(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
         Buttons buttons) {
    QMessageBox mb(icon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* accept = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        accept = mb.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        mb.setEscapeButton(accept);
        break;
    case Buttons::YesNo: {
        accept = mb.addButton(QStringLiteral("Igen"), QMessageBox::YesRole);
        QPushButton* no = mb.addButton(QStringLiteral("Nem"), QMessageBox::NoRole);
        mb.setEscapeButton(no);
        break;
    }
    case Buttons::OkCancel: {
        accept = mb.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton* cancel = mb.addButton(QStringLiteral("Mégse"), QMessageBox::RejectRole);
        mb.setEscapeButton(cancel);
        break;
    }
    }
    mb.setDefaultButton(accept);
    mb.exec();
    return mb.clickedButton() == accept;
}

} // namespace

QtMessages::QtMessages(QWidget* parent, QString title)
    : parent_(parent), title_(std::move(title)) {}

QWidget* QtMessages::parentWidget() const {
    if (parent_) {
        return parent_;
    }
    return QApplication::activeWindow();
}

void QtMessages::showMessage(const std::string& text) {
    const QString caption = title_.isEmpty() ? QApplication::applicationDisplayName() : title_;
    box(parentWidget(), QMessageBox::NoIcon, caption, boxText(text), Buttons::Ok);
}

void QtMessages::information(const std::string& text) {
    box(parentWidget(), QMessageBox::Information, QString::fromUtf8(kInformation), boxText(text),
        Buttons::Ok);
}

void QtMessages::warning(const std::string& text) {
    box(parentWidget(), QMessageBox::Warning, QString::fromUtf8(kWarning), boxText(text), Buttons::Ok);
}

void QtMessages::error(const std::string& text) {
    box(parentWidget(), QMessageBox::Critical, QString::fromUtf8(kError), boxText(text), Buttons::Ok);
}

bool QtMessages::yesNo(const std::string& text) {
    return box(parentWidget(), QMessageBox::Question, QString::fromUtf8(kConfirm), boxText(text),
               Buttons::YesNo);
}

bool QtMessages::okCancel(const std::string& text) {
    return box(parentWidget(), QMessageBox::Question, QString::fromUtf8(kConfirm), boxText(text),
               Buttons::OkCancel);
}

std::optional<std::string> QtMessages::entry(const std::string& caption, const std::string& prompt,
                                             const std::string& defaultValue, bool password) {
    QInputDialog dlg(parentWidget());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(qs(caption));
    dlg.setLabelText(boxText(prompt));
    dlg.setTextValue(qs(defaultValue));
    dlg.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("Mégse"));
    if (dlg.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ss(dlg.textValue());
}

std::optional<std::string> QtMessages::inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultValue) {
    return entry(caption, prompt, defaultValue, false);
}

std::optional<std::string> QtMessages::passwordBox(const std::string& caption,
                                                   const std::string& prompt) {
    return entry(caption, prompt, {}, true);
}

namespace {
store::Messages* g_messages = nullptr;
}

store::Messages& defaultMessages() {
    if (g_messages) {
        return *g_messages;
    }
    static QtMessages builtIn;
    return builtIn;
}

void setDefaultMessages(store::Messages* messages) {
    g_messages = messages;
}

} // namespace ui
