// Reading a PDF back: its text through pdftotext and its page count through pdfinfo
// (poppler-utils).
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <optional>
#include <string>

namespace reportsupport {

inline bool havePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline std::optional<std::string> runTool(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return std::nullopt;
    }
    return p.readAllStandardOutput().toStdString();
}

// The text of the PDF with its layout kept (one output line per printed line); pages are
// separated by form feeds.
inline std::optional<std::string> pdfText(const std::filesystem::path& pdf) {
    return runTool(
        QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QString::fromStdString(pdf.string()), QStringLiteral("-")});
}

inline std::optional<std::string> pdfInfo(const std::filesystem::path& pdf) {
    return runTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf.string())});
}

// The line of `text` that holds `needle`, or empty.
inline std::string lineWith(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    if (at == std::string::npos) {
        return {};
    }
    const size_t b = text.rfind('\n', at);
    const size_t e = text.find('\n', at);
    return text.substr(b == std::string::npos ? 0 : b + 1,
                       (e == std::string::npos ? text.size() : e) -
                           (b == std::string::npos ? 0 : b + 1));
}

// Runs of blanks squeezed to one, ends trimmed.
inline std::string squeeze(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out.push_back(c);
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

} // namespace reportsupport
