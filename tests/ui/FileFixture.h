// A shown main window whose file dialog answers from a list, with a folder for its files.
#pragma once

#include "EntryFixture.h"

#include "ui/FileDialog.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <string>

namespace vantrel::test {

struct FakeFileDialog : FileDialog {
    std::deque<std::optional<std::string>> answers; // given in turn; Cancel when none is left
    int opens = 0;
    int saves = 0;

    std::optional<std::string> ShowOpen() override { return Next(opens); }
    std::optional<std::string> ShowSave() override { return Next(saves); }

private:
    std::optional<std::string> Next(int& count) {
        ++count;
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

inline std::string Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
             static_cast<qint64>(bytes.size()));
}

struct FileWindow : EntryWindow {
    FakeFileDialog dialog;
    QTemporaryDir folder;

    FileWindow() { w.SetFileDialog(dialog); }

    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }

    // The menu item chosen with the dialog giving back answer (nothing: Cancel).
    void Choose(QAction* item, std::optional<std::string> answer) {
        dialog.answers.push_back(std::move(answer));
        item->trigger();
    }
    void Open(const std::string& path) { Choose(w.mnuOpen, path); }
    // The bytes written to opened.vin, then opened.
    void OpenBytes(const std::string& bytes) {
        WriteBytes(Path("opened.vin"), bytes);
        Open(Path("opened.vin"));
    }
};

} // namespace vantrel::test
