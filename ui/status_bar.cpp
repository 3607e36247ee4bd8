#include "ui/status_bar.h"

#include <QLabel>

namespace ui {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
}

StatusBar::StatusBar(const std::vector<int>& widths, QWidget* parent) : StatusBar(parent) {
    setPanels(widths);
}

void StatusBar::setPanels(const std::vector<int>& widths) {
    for (QLabel* l : panels_) {
        removeWidget(l);
        delete l;
    }
    panels_.clear();
    for (size_t i = 0; i < widths.size(); ++i) {
        auto* l = new QLabel(this);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setTextFormat(Qt::PlainText);
        const bool last = i + 1 == widths.size();
        int stretch = 0;
        if (widths[i] > 0 && !last) {
            l->setFixedWidth(widths[i]);
        } else if (widths[i] > 0) {
            l->setMinimumWidth(widths[i]);
            stretch = 1;
        } else {
            stretch = 1;
        }
        addWidget(l, stretch);
        panels_.push_back(l);
    }
}

void StatusBar::setPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < panelCount()) {
        panels_[static_cast<size_t>(panel)]->setText(text);
    }
}

QString StatusBar::panelText(int panel) const {
    if (panel < 0 || panel >= panelCount()) {
        return {};
    }
    return panels_[static_cast<size_t>(panel)]->text();
}

} // namespace ui
