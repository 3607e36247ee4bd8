// The window of the field value tool ("Átírás"): choose a table file through the drive,
// folder and file lists, pick a field, and replace or count the records holding a value.
#pragma once

#include "store/engine/table.h"
#include "store/messages.h"

#include <QListWidget>
#include <QWidget>
#include <filesystem>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace atiras {

// A folder list: the chosen folder's parents from the root down, the folder itself, and its
// sub-folders. Activating an entry (double click or Enter) opens that folder.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);
    void setDirectory(const std::filesystem::path& dir);
    const std::filesystem::path& directory() const { return dir_; }

signals:
    void directoryChanged();

protected:
    void focusInEvent(QFocusEvent* event) override;

signals:
    void entered();

private:
    std::filesystem::path dir_;
};

class TFrmatir : public QWidget {
    Q_OBJECT
public:
    // `home` is the installation folder (the tool's current folder).
    TFrmatir(store::Session& session, store::Messages& messages, std::filesystem::path home,
             QWidget* parent = nullptr);
    ~TFrmatir() override;

    // ---- controls ----
    QComboBox* DriveComboBox2;
    DirectoryListBox* DirectoryListBox1;
    QListWidget* FileListBox1;
    QListWidget* ListBox1;
    QLineEdit* Edit1; // "Mit:"
    QLineEdit* Edit2; // "Mire"
    QLineEdit* Edit3; // "Mező:"
    QPushButton* csere;
    QCheckBox* CheckBox1;
    store::Table Table1;

    // ---- handlers ----
    void FormCreate();
    void DriveComboBox2Change();
    void DirectoryListBox1Change();
    void DirectoryListBox1Enter();
    void FileListBox1Click();
    void ListBox1Click();
    void Edit1Exit();
    void csereClick();

    // The drive list's roots, in the list's order.
    const std::vector<std::filesystem::path>& drives() const { return drives_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillDrives();
    void closeTable();

    store::Session& session_;
    store::Messages& messages_;
    std::filesystem::path home_;
    std::vector<std::filesystem::path> drives_;
    bool filling_ = false;
};

} // namespace atiras
