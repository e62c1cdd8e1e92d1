#pragma once
// A Prompts that records every request and answers from queues filled in advance.
#include "platform/prompts.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pw::test {

struct MessageBoxCall {
    std::string text;
    std::string title;
    platform::Buttons buttons = platform::Buttons::Ok;
    platform::Icon icon = platform::Icon::None;
    std::string details;
};

class FakePrompts : public platform::Prompts {
public:
    // Every call, in order.
    std::vector<MessageBoxCall> messages;
    std::vector<platform::FileDialogRequest> openRequests;
    std::vector<platform::FileDialogRequest> saveRequests;
    std::vector<std::string> browsePrompts;
    std::vector<std::string> browseStarts; // the folder each browser was to start in
    std::vector<std::uint32_t> colorRequests;
    std::vector<std::string> passwordTexts; // the text of each password box

    // Scripted answers, used front first. An empty answer queue gives defaultAnswer; an empty
    // dialog queue cancels the dialog. std::nullopt in a dialog queue cancels that one.
    std::deque<platform::Answer> answers;
    platform::Answer defaultAnswer = platform::Answer::Ok;
    std::deque<std::optional<platform::FileDialogResult>> openResults;
    std::deque<std::optional<platform::FileDialogResult>> saveResults;
    std::deque<std::optional<std::string>> folders;
    std::deque<std::optional<std::uint32_t>> colors;
    std::deque<std::optional<std::string>> passwords;

    // Runs inside messageBox after the call is recorded (a test acting while the box is up).
    std::function<void(const MessageBoxCall&)> onMessageBox;

    void answerNext(platform::Answer answer) { answers.push_back(answer); }
    void openNext(const std::string& fileName, std::uint32_t flags = 0) {
        openResults.push_back(platform::FileDialogResult{fileName, flags});
    }
    void cancelNextOpen() { openResults.push_back(std::nullopt); }
    void saveNext(const std::string& fileName, std::uint32_t flags = 0) {
        saveResults.push_back(platform::FileDialogResult{fileName, flags});
    }
    void cancelNextSave() { saveResults.push_back(std::nullopt); }
    void browseNext(const std::string& folder) { folders.push_back(folder); }
    void cancelNextBrowse() { folders.push_back(std::nullopt); }
    void colorNext(std::uint32_t color) { colors.push_back(color); }
    void cancelNextColor() { colors.push_back(std::nullopt); }
    void passwordNext(const std::string& password) { passwords.push_back(password); }
    void cancelNextPassword() { passwords.push_back(std::nullopt); }

    // The texts of all message boxes, in order.
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const MessageBoxCall& call : messages)
            texts.push_back(call.text);
        return texts;
    }
    bool shown(const std::string& text) const {
        for (const MessageBoxCall& call : messages) {
            if (call.text == text)
                return true;
        }
        return false;
    }
    void clear() {
        messages.clear();
        openRequests.clear();
        saveRequests.clear();
        browsePrompts.clear();
        browseStarts.clear();
        colorRequests.clear();
        passwordTexts.clear();
    }

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Buttons buttons, platform::Icon icon,
                                const std::string& details = {}) override {
        messages.push_back(MessageBoxCall{text, title, buttons, icon, details});
        if (onMessageBox)
            onMessageBox(messages.back());
        return take(answers, defaultAnswer);
    }
    bool openFile(const platform::FileDialogRequest& request,
                  platform::FileDialogResult& result) override {
        openRequests.push_back(request);
        return answerDialog(openResults, result);
    }
    bool saveFile(const platform::FileDialogRequest& request,
                  platform::FileDialogResult& result) override {
        saveRequests.push_back(request);
        return answerDialog(saveResults, result);
    }
    bool browseFolder(const std::string& prompt, std::string& folder) override {
        browsePrompts.push_back(prompt);
        browseStarts.push_back(folder);
        const std::optional<std::string> chosen = take(folders, std::optional<std::string>());
        if (!chosen)
            return false;
        folder = *chosen;
        return true;
    }
    bool chooseColor(std::uint32_t initial, std::uint32_t& chosen) override {
        colorRequests.push_back(initial);
        const std::optional<std::uint32_t> color = take(colors, std::optional<std::uint32_t>());
        if (!color)
            return false;
        chosen = *color;
        return true;
    }

    bool askPassword(const std::string& text, const std::string&, std::string& password) override {
        passwordTexts.push_back(text);
        const std::optional<std::string> typed = take(passwords, std::optional<std::string>());
        if (!typed)
            return false;
        password = *typed;
        return true;
    }

private:
    template <typename T> static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T front = queue.front();
        queue.pop_front();
        return front;
    }
    static bool answerDialog(std::deque<std::optional<platform::FileDialogResult>>& queue,
                             platform::FileDialogResult& result) {
        const std::optional<platform::FileDialogResult> answer =
            take(queue, std::optional<platform::FileDialogResult>());
        if (!answer)
            return false;
        result = *answer;
        return true;
    }
};

} // namespace pw::test
