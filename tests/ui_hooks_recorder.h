// Test helper: while alive, records every message box, beep and status text
// and answers message boxes with scripted button ids (the default button once
// the script is used up). Restores the previous hooks when destroyed.
#pragma once

#include "platform/ui_hooks.h"

#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class ScopedUiHooksRecorder {
public:
    struct MessageBoxCall {
        std::wstring text;
        std::wstring caption;
        unsigned style = 0;
        int answer = 0;
        unsigned Buttons() const { return style & MB_TYPEMASK; }
        unsigned Icon() const { return style & MB_ICONMASK; }
    };

    ScopedUiHooksRecorder() {
        UiHooks hooks;
        hooks.messageBox = [this](const MessageBoxRequest& r) {
            int answer = DefaultMessageBoxAnswer(r.style);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
            messageBoxes.push_back({r.text, r.caption, r.style, answer});
            return answer;
        };
        hooks.beep = [this](unsigned kind) { beeps.push_back(kind); };
        hooks.statusText = [this](int pane, const std::wstring& text) {
            statusTexts.emplace_back(pane, text);
        };
        previous_ = SetUiHooks(std::move(hooks));
    }
    ~ScopedUiHooksRecorder() { SetUiHooks(std::move(previous_)); }
    ScopedUiHooksRecorder(const ScopedUiHooksRecorder&) = delete;
    ScopedUiHooksRecorder& operator=(const ScopedUiHooksRecorder&) = delete;

    // Queues the answers of the next message boxes, in order.
    void Answer(std::initializer_list<int> ids) { answers_.insert(answers_.end(), ids); }
    // Answers not yet used.
    size_t PendingAnswers() const { return answers_.size(); }
    void ClearAnswers() { answers_.clear(); }
    void Clear() {
        messageBoxes.clear();
        beeps.clear();
        statusTexts.clear();
    }

    std::vector<MessageBoxCall> messageBoxes;
    std::vector<unsigned> beeps;
    std::vector<std::pair<int, std::wstring>> statusTexts;

private:
    std::deque<int> answers_;
    UiHooks previous_;
};
