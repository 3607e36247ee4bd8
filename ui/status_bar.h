// A status bar of panels: each panel a fixed width (the last one takes the rest) and a text.
#pragma once

#include <QStatusBar>
#include <string>
#include <vector>

class QLabel;

namespace ui {

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    // One panel per width (pixels); a width of 0 or less stretches.
    explicit StatusBar(const std::vector<int>& widths, QWidget* parent = nullptr);

    void setPanels(const std::vector<int>& widths);
    int panelCount() const { return static_cast<int>(panels_.size()); }
    // Panels that do not exist are left alone.
    void setPanelText(int panel, const QString& text);
    void setPanelText(int panel, const std::string& text) {
        setPanelText(panel, QString::fromStdString(text));
    }
    QString panelText(int panel) const;
    QLabel* panel(int i) const { return panels_.at(static_cast<size_t>(i)); }

private:
    std::vector<QLabel*> panels_;
};

} // namespace ui
