#include "atiras/TFrmatir.h"

#include "atiras/drives.h"
#include "atiras/replace.h"
#include "atiras/startup.h"
#include "store/format/format.h"
#include "ui/key_filter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>

namespace atiras {

namespace fs = std::filesystem;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString pathText(const fs::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

// ---------------------------------------------------------------- the folder list

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const fs::path p(item->data(Qt::UserRole).toString().toStdString());
        if (p != dir_) {
            setDirectory(p);
        }
    });
}

void DirectoryListBox::setDirectory(const fs::path& dir) {
    dir_ = dir.lexically_normal();
    while (dir_.has_relative_path() && dir_.filename().empty()) {
        dir_ = dir_.parent_path(); // no trailing separator
    }
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<fs::path> chain;
    for (fs::path p = dir_;; p = p.parent_path()) {
        chain.insert(chain.begin(), p);
        if (p == p.parent_path() || p.parent_path().empty()) {
            break;
        }
    }
    int level = 0;
    for (const auto& p : chain) {
        const QString name = p.has_filename() ? pathText(p.filename()) : pathText(p);
        auto* item = new QListWidgetItem(open, QString(level * 2, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, pathText(p));
        ++level;
    }
    if (count() > 0) {
        setCurrentRow(count() - 1);
    }
    for (const auto& name : subFolders(dir_)) {
        auto* item =
            new QListWidgetItem(closed, QString(level * 2, QLatin1Char(' ')) + qs(name), this);
        item->setData(Qt::UserRole, pathText(dir_ / name));
    }
    emit directoryChanged();
}

void DirectoryListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    emit entered();
}

// ---------------------------------------------------------------- the window

TFrmatir::TFrmatir(store::Session& session, store::Messages& messages, fs::path home,
                   QWidget* parent)
    : QWidget(parent), DriveComboBox2(new QComboBox(this)),
      DirectoryListBox1(new DirectoryListBox(this)), FileListBox1(new QListWidget(this)),
      ListBox1(new QListWidget(this)), Edit1(new QLineEdit(this)), Edit2(new QLineEdit(this)),
      Edit3(new QLineEdit(this)), csere(new QPushButton(QStringLiteral("Csere"), this)),
      CheckBox1(new QCheckBox(QStringLiteral("Csak ellenórzés"), this)), Table1(session, "Table1"),
      session_(session), messages_(messages), home_(std::move(home)) {
    setWindowTitle(QStringLiteral("Átírás"));
    setObjectName(QStringLiteral("TFrmatir"));

    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    CheckBox1->setChecked(true);
    for (QLineEdit* e : {Edit1, Edit2, Edit3}) {
        ui::KeyFilter::install(e, ui::KeyFilter::Chars::Any, true);
    }
    Edit1->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(DriveComboBox2, 0, 0);
    grid->addWidget(DirectoryListBox1, 1, 0);
    grid->addWidget(label("Fájlok:", FileListBox1), 0, 1);
    grid->addWidget(FileListBox1, 1, 1);
    grid->addWidget(label("Mezők:", ListBox1), 0, 2);
    grid->addWidget(ListBox1, 1, 2);

    auto* entries = new QGridLayout;
    entries->addWidget(label("Mit:", Edit1), 0, 0);
    entries->addWidget(Edit1, 0, 1);
    entries->addWidget(label("Mire", Edit2), 1, 0);
    entries->addWidget(Edit2, 1, 1);
    entries->addWidget(label("Mező:", Edit3), 2, 0);
    entries->addWidget(Edit3, 2, 1);
    entries->addWidget(csere, 0, 2);
    entries->addWidget(CheckBox1, 1, 2);
    entries->setColumnStretch(1, 1);
    grid->addLayout(entries, 2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 2);
    resize(680, 440);

    connect(DriveComboBox2, &QComboBox::activated, this, [this] { DriveComboBox2Change(); });
    connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this,
            [this] { DirectoryListBox1Change(); });
    connect(DirectoryListBox1, &DirectoryListBox::entered, this,
            [this] { DirectoryListBox1Enter(); });
    connect(FileListBox1, &QListWidget::itemClicked, this, [this] { FileListBox1Click(); });
    connect(FileListBox1, &QListWidget::currentItemChanged, this, [this] {
        if (!filling_) {
            FileListBox1Click();
        }
    });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::currentItemChanged, this, [this] {
        if (!filling_) {
            ListBox1Click();
        }
    });
    connect(csere, &QPushButton::clicked, this, [this] { csereClick(); });

    FormCreate();
}

TFrmatir::~TFrmatir() = default;

void TFrmatir::FormCreate() {
    fillDrives();
    DirectoryListBox1->setDirectory(home_);
    // the aliases of the installation; a failure is shown and the window still works on files
    store::guarded(messages_, [this] { prepareSession(session_, home_); });
}

void TFrmatir::fillDrives() {
    std::vector<fs::path> mounts;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        mounts.emplace_back(v.rootPath().toStdString());
    }
    drives_ = driveRoots(mounts, QDir::homePath().toStdString());
    DriveComboBox2->clear();
    for (const auto& d : drives_) {
        DriveComboBox2->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), pathText(d));
    }
    const fs::path current = driveOf(drives_, home_);
    for (size_t i = 0; i < drives_.size(); ++i) {
        if (drives_[i] == current) {
            DriveComboBox2->setCurrentIndex(static_cast<int>(i));
        }
    }
}

void TFrmatir::DriveComboBox2Change() {
    const int i = DriveComboBox2->currentIndex();
    if (i < 0 || i >= static_cast<int>(drives_.size())) {
        return;
    }
    DirectoryListBox1->setDirectory(driveStartFolder(drives_[static_cast<size_t>(i)]));
}

void TFrmatir::DirectoryListBox1Change() {
    filling_ = true;
    FileListBox1->clear();
    for (const auto& name : tableFiles(DirectoryListBox1->directory())) {
        FileListBox1->addItem(qs(name));
    }
    FileListBox1->setCurrentRow(-1);
    filling_ = false;
}

void TFrmatir::closeTable() {
    Table1.close();
    filling_ = true;
    ListBox1->clear();
    filling_ = false;
}

void TFrmatir::DirectoryListBox1Enter() {
    closeTable();
    Edit3->clear();
}

void TFrmatir::FileListBox1Click() {
    QListWidgetItem* item = FileListBox1->currentItem();
    const fs::path file =
        item ? DirectoryListBox1->directory() / item->text().toStdString() : fs::path();
    if (!file.empty() && Table1.active() && Table1.tableName() == file.string()) {
        return; // the open table is the chosen one
    }
    closeTable();
    if (file.empty()) {
        return;
    }
    Table1.setAlias({});
    Table1.setTableName(file.string());
    if (!store::guarded(messages_, [this] { Table1.open(); })) {
        return;
    }
    filling_ = true;
    for (const auto& name : Table1.fieldNames()) {
        ListBox1->addItem(qs(name));
    }
    filling_ = false;
}

void TFrmatir::ListBox1Click() {
    if (QListWidgetItem* item = ListBox1->currentItem()) {
        Edit3->setText(item->text());
    }
}

void TFrmatir::Edit1Exit() {
    const QString up = qs(store::fmt::upperHu(Edit1->text().toStdString()));
    if (up != Edit1->text()) {
        Edit1->setText(up);
    }
}

void TFrmatir::csereClick() {
    if (!Table1.active()) {
        return;
    }
    std::optional<int> count;
    const bool ok = store::guarded(messages_, [&] {
        count = replaceValues(Table1, Edit3->text().toStdString(), Edit1->text().toStdString(),
                              Edit2->text().toStdString(), CheckBox1->isChecked());
    });
    if (ok && count) {
        messages_.showMessage(std::to_string(*count));
    }
}

bool TFrmatir::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::FocusOut) {
        Edit1Exit();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace atiras
