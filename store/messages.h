// The message service: the only way the data module's rules and the program's logic talk to
// the user. Plain C++ with UTF-8 texts, so that code without any window can show a message,
// ask a question and be tested with scripted answers. The windows provide the real dialogs
// (ui::QtMessages); tests use ScriptedMessages.
#pragma once

#include "store/engine/errors.h"

#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace store {

class Messages {
public:
    virtual ~Messages() = default;

    // A plain box with the program's title and an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // Boxes with a kind: caption "Információ", "Figyelem" and "Hiba", an OK button.
    virtual void information(const std::string& text) = 0;
    virtual void warning(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
    // Confirmations (caption "Megerősítés"): true for "Igen" / "OK".
    virtual bool yesNo(const std::string& text) = 0;
    virtual bool okCancel(const std::string& text) = 0;
    // A one-line entry with OK and "Mégse"; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& defaultValue) = 0;
    // The same with the characters hidden; starts empty.
    virtual std::optional<std::string> passwordBox(const std::string& caption,
                                                   const std::string& prompt) = 0;
};

// Runs `fn`; a failure is shown as an error box and gives false. A silent abort (a rule that
// refused the operation after telling the user) gives false without a further message.
template <class Fn> bool guarded(Messages& messages, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const Abort&) {
        return false;
    } catch (const std::exception& e) {
        messages.error(e.what());
        return false;
    }
}

// Records every message and answers the questions from a queue, for tests. A question with no
// answer queued (or with an answer of the wrong kind) is a fault of the test: it throws
// std::logic_error naming the question, or, when a failure handler is set (for code that runs
// inside an event loop, where an exception must not pass), calls it and answers No / Cancel.
class ScriptedMessages : public Messages {
public:
    enum class Kind { Message, Information, Warning, Error, YesNo, OkCancel, Input, Password };

    struct Shown {
        Kind kind;
        std::string caption; // input and password boxes
        std::string text;    // the message, question or prompt
        std::string defaultValue;
    };

    // ---- answers, consumed in order ----
    void answerYes() { answers_.emplace_back(true); }
    void answerNo() { answers_.emplace_back(false); }
    void answerOk() { answers_.emplace_back(true); }
    void answerCancel() { answers_.emplace_back(false); }
    // for an input or password box
    void answerText(std::string text) { answers_.emplace_back(std::move(text)); }
    void answerInputCancelled() { answers_.emplace_back(std::nullopt); }
    size_t pendingAnswers() const { return answers_.size(); }

    void setFailureHandler(std::function<void(const std::string&)> handler) {
        onFailure_ = std::move(handler);
    }

    // ---- what was shown ----
    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& s : shown_) {
            out.push_back(s.text);
        }
        return out;
    }
    size_t count() const { return shown_.size(); }
    void clear() { shown_.clear(); }

    // ---- Messages ----
    void showMessage(const std::string& text) override { record(Kind::Message, text); }
    void information(const std::string& text) override { record(Kind::Information, text); }
    void warning(const std::string& text) override { record(Kind::Warning, text); }
    void error(const std::string& text) override { record(Kind::Error, text); }
    bool yesNo(const std::string& text) override { return question(Kind::YesNo, text); }
    bool okCancel(const std::string& text) override { return question(Kind::OkCancel, text); }
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultValue) override {
        return entry(Kind::Input, caption, prompt, defaultValue);
    }
    std::optional<std::string> passwordBox(const std::string& caption,
                                           const std::string& prompt) override {
        return entry(Kind::Password, caption, prompt, {});
    }

private:
    using Answer = std::variant<bool, std::optional<std::string>>;

    void record(Kind k, const std::string& text, const std::string& caption = {},
                const std::string& def = {}) {
        shown_.push_back(Shown{k, caption, text, def});
    }

    bool fail(const std::string& what) {
        const std::string msg = "ScriptedMessages: no answer queued for " + what;
        if (!onFailure_) {
            throw std::logic_error(msg);
        }
        onFailure_(msg);
        return false;
    }

    bool question(Kind k, const std::string& text) {
        record(k, text);
        if (answers_.empty() || !std::holds_alternative<bool>(answers_.front())) {
            return fail("the question \"" + text + "\"");
        }
        const bool a = std::get<bool>(answers_.front());
        answers_.pop_front();
        return a;
    }

    std::optional<std::string> entry(Kind k, const std::string& caption, const std::string& prompt,
                                     const std::string& def) {
        record(k, prompt, caption, def);
        if (answers_.empty() ||
            !std::holds_alternative<std::optional<std::string>>(answers_.front())) {
            fail("the entry \"" + caption + "\" / \"" + prompt + "\"");
            return std::nullopt;
        }
        auto a = std::get<std::optional<std::string>>(answers_.front());
        answers_.pop_front();
        return a;
    }

    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
    std::function<void(const std::string&)> onFailure_;
};

} // namespace store
