#include "reports/preview.h"

#include "reports/painter.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace reports {

namespace {

constexpr int kPageMargin = 12; // grey space around the page
const int kPercents[] = {25, 50, 75, 100, 150, 200, 300};

} // namespace

PageView::PageView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
}

void PageView::setPage(const engine::Document* doc, int index) {
    doc_ = doc;
    index_ = index;
    updateGeometry();
    resize(sizeHint());
    update();
}

void PageView::setZoom(double zoom) {
    zoom_ = std::clamp(zoom, 0.05, 8.0);
    updateGeometry();
    resize(sizeHint());
    update();
}

double PageView::scale() const {
    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    return zoom_ * dpi / engine::kUnitsPerInch;
}

QSize PageView::sizeHint() const {
    if (doc_ == nullptr) {
        return {2 * kPageMargin, 2 * kPageMargin};
    }
    const double s = scale();
    return {static_cast<int>(doc_->pageWidth() * s + 0.5) + 2 * kPageMargin,
            static_cast<int>(doc_->pageHeight() * s + 0.5) + 2 * kPageMargin};
}

void PageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
    if (doc_ == nullptr || index_ < 0 || index_ >= static_cast<int>(doc_->pages.size())) {
        return;
    }
    const double s = scale();
    const QRectF paper(kPageMargin, kPageMargin, doc_->pageWidth() * s, doc_->pageHeight() * s);
    p.fillRect(paper.translated(3, 3), QColor(0x40, 0x40, 0x40));
    p.fillRect(paper, Qt::white);
    p.translate(paper.topLeft());
    paintPage(p, doc_->pages[static_cast<size_t>(index_)], s);
}

PreviewWindow::PreviewWindow(engine::Document doc, QWidget* parent)
    : QDialog(parent), doc_(std::move(doc)) {
    setWindowTitle(QString::fromStdString(doc_.title.empty() ? "Előnézet" : doc_.title));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* bar = new QHBoxLayout;
    first_ = new QPushButton(QStringLiteral("|<"), this);
    first_->setToolTip(QStringLiteral("Első oldal"));
    prior_ = new QPushButton(QStringLiteral("<"), this);
    prior_->setToolTip(QStringLiteral("Előző oldal"));
    next_ = new QPushButton(QStringLiteral(">"), this);
    next_->setToolTip(QStringLiteral("Következő oldal"));
    last_ = new QPushButton(QStringLiteral(">|"), this);
    last_->setToolTip(QStringLiteral("Utolsó oldal"));
    pageLabel_ = new QLabel(this);
    zoomBox_ = new QComboBox(this);
    zoomBox_->setToolTip(QStringLiteral("Nagyítás"));
    zoomBox_->addItem(QStringLiteral("Teljes oldal"));
    zoomBox_->addItem(QStringLiteral("Oldalszélesség"));
    for (int pct : kPercents) {
        zoomBox_->addItem(QStringLiteral("%1%").arg(pct), pct);
    }
    setup_ = new QPushButton(QStringLiteral("Nyomtató..."), this);
    print_ = new QPushButton(QStringLiteral("Nyomtatás"), this);
    auto* close = new QPushButton(QStringLiteral("Bezárás"), this);
    setup_->setVisible(false);
    print_->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{first_, prior_, next_, last_}) {
        bar->addWidget(w);
    }
    bar->addWidget(pageLabel_);
    bar->addSpacing(12);
    bar->addWidget(zoomBox_);
    bar->addStretch(1);
    bar->addWidget(setup_);
    bar->addWidget(print_);
    bar->addWidget(close);

    view_ = new PageView;
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(first_, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(prior_, &QPushButton::clicked, this, [this] { showPage(current_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showPage(current_ + 1); });
    connect(last_, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(zoomBox_, &QComboBox::activated, this, &PreviewWindow::zoomChosen);
    connect(print_, &QPushButton::clicked, this, [this] {
        if (printAction_) {
            printAction_();
        }
    });
    connect(setup_, &QPushButton::clicked, this, [this] {
        if (setupAction_) {
            setupAction_();
        }
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(900, 1000);
    view_->setPage(&doc_, 0);
    setZoomPercent(doc_.setup.zoomPercent > 0 ? doc_.setup.zoomPercent : 100);
    updateState();
}

void PreviewWindow::setPrintAction(std::function<void()> action) {
    printAction_ = std::move(action);
    print_->setVisible(static_cast<bool>(printAction_));
}

void PreviewWindow::setPrinterSetupAction(std::function<void()> action) {
    setupAction_ = std::move(action);
    setup_->setVisible(static_cast<bool>(setupAction_));
}

void PreviewWindow::showPage(int index) {
    if (pageCount() == 0) {
        return;
    }
    current_ = std::clamp(index, 0, pageCount() - 1);
    view_->setPage(&doc_, current_);
    scroll_->verticalScrollBar()->setValue(0);
    updateState();
}

double PreviewWindow::zoom() const {
    return view_->zoom();
}

void PreviewWindow::setZoomPercent(int percent) {
    fit_ = Fit::None;
    view_->setZoom(percent / 100.0);
    const int i = zoomBox_->findData(percent);
    if (i >= 0) {
        zoomBox_->setCurrentIndex(i);
    }
}

void PreviewWindow::fitWholePage() {
    fit_ = Fit::WholePage;
    zoomBox_->setCurrentIndex(0);
    const QSize area = scroll_->viewport()->size();
    const double unit = view_->scale() / view_->zoom(); // pixels per unit at 100 %
    const double zx = (area.width() - 2 * kPageMargin) / (doc_.pageWidth() * unit);
    const double zy = (area.height() - 2 * kPageMargin) / (doc_.pageHeight() * unit);
    view_->setZoom(std::min(zx, zy));
}

void PreviewWindow::fitPageWidth() {
    fit_ = Fit::PageWidth;
    zoomBox_->setCurrentIndex(1);
    const QSize area = scroll_->viewport()->size();
    const double unit = view_->scale() / view_->zoom();
    const int bar = scroll_->verticalScrollBar()->sizeHint().width();
    view_->setZoom((area.width() - bar - 2 * kPageMargin) / (doc_.pageWidth() * unit));
}

void PreviewWindow::zoomChosen(int index) {
    if (index == 0) {
        fitWholePage();
    } else if (index == 1) {
        fitPageWidth();
    } else {
        setZoomPercent(zoomBox_->itemData(index).toInt());
    }
}

void PreviewWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (fit_ == Fit::WholePage) {
        fitWholePage();
    } else if (fit_ == Fit::PageWidth) {
        fitPageWidth();
    }
}

QString PreviewWindow::pageLabelText() const {
    return pageLabel_->text();
}

void PreviewWindow::updateState() {
    const int n = pageCount();
    pageLabel_->setText(QStringLiteral("Lap: %1 / %2").arg(n == 0 ? 0 : current_ + 1).arg(n));
    first_->setEnabled(current_ > 0);
    prior_->setEnabled(current_ > 0);
    next_->setEnabled(current_ + 1 < n);
    last_->setEnabled(current_ + 1 < n);
}

} // namespace reports
