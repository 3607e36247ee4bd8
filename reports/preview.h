// The preview window of a report: one page at a time with page navigation, zoom, printer
// set-up and print.
#pragma once

#include "reports/engine/layout.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace reports {

// One page painted at a zoom factor (1.0: the paper's true size on the screen).
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    void setPage(const engine::Document* doc, int index);
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // device pixels per report unit at the current zoom
    double scale() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const engine::Document* doc_ = nullptr;
    int index_ = 0;
    double zoom_ = 1.0;
};

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(engine::Document doc, QWidget* parent = nullptr);

    // what the print and printer set-up buttons do; hidden while unset
    void setPrintAction(std::function<void()> action);
    void setPrinterSetupAction(std::function<void()> action);

    int pageCount() const { return static_cast<int>(doc_.pages.size()); }
    int currentPage() const { return current_; } // 0-based
    void showPage(int index);                    // clamped to the pages
    // Zoom entries: "Teljes oldal" (whole page), "Oldalszélesség" (page width), then percents.
    void setZoomPercent(int percent);
    void fitWholePage();
    void fitPageWidth();
    double zoom() const;
    QString pageLabelText() const;
    PageView* pageView() const { return view_; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void zoomChosen(int index);
    void updateState();

    engine::Document doc_;
    int current_ = 0;
    enum class Fit { None, WholePage, PageWidth } fit_ = Fit::None;
    PageView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QPushButton* first_ = nullptr;
    QPushButton* prior_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* last_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* setup_ = nullptr;
    std::function<void()> printAction_;
    std::function<void()> setupAction_;
};

} // namespace reports
