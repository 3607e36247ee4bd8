// The message service on Qt dialogs, with the Hungarian captions and button texts, and the
// program-wide default service that the bound controls report through.
#pragma once

#include "store/messages.h"

#include <QString>

class QWidget;

namespace ui {

class QtMessages : public store::Messages {
public:
    // `title` is the caption of the plain message box; empty: the application's display name.
    explicit QtMessages(QWidget* parent = nullptr, QString title = {});

    void setParent(QWidget* parent) { parent_ = parent; }
    void setTitle(QString title) { title_ = std::move(title); }

    void showMessage(const std::string& text) override;
    void information(const std::string& text) override;
    void warning(const std::string& text) override;
    void error(const std::string& text) override;
    bool yesNo(const std::string& text) override;
    bool okCancel(const std::string& text) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultValue) override;
    std::optional<std::string> passwordBox(const std::string& caption,
                                           const std::string& prompt) override;

    // captions of the boxes
    static const char* const kInformation; // "Információ"
    static const char* const kWarning;     // "Figyelem"
    static const char* const kError;       // "Hiba"
    static const char* const kConfirm;     // "Megerősítés"

private:
    QWidget* parentWidget() const;
    std::optional<std::string> entry(const std::string& caption, const std::string& prompt,
                                     const std::string& defaultValue, bool password);

    QWidget* parent_;
    QString title_;
};

// The service the bound controls use when none was given to them. Until set, a QtMessages
// without a parent.
store::Messages& defaultMessages();
// nullptr restores the built-in QtMessages.
void setDefaultMessages(store::Messages* messages);

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}

} // namespace ui
