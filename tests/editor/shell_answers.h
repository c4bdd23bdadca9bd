// Answers the shell's requests from a queue and records every request, for one test.
#pragma once

#include "platform/shell.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ShellAnswers {
public:
    ShellAnswers()
    {
        m_former = SetShellHandler([this](SHELL_REQUEST& request) {
            requests.push_back(request);
            if (m_answers.empty())
                return ShellDefaultAnswer(request);
            auto answer = m_answers.front();
            m_answers.pop_front();
            return answer(request);
        });
    }
    ~ShellAnswers() { SetShellHandler(m_former); }
    ShellAnswers(const ShellAnswers&) = delete;
    ShellAnswers& operator=(const ShellAnswers&) = delete;

    void Answer(int answer)
    {
        m_answers.push_back([answer](SHELL_REQUEST&) { return answer; });
    }
    // A file dialog answered with a path and a filter.
    void ChooseFile(const std::string& path, int filterIndex = 1)
    {
        m_answers.push_back([path, filterIndex](SHELL_REQUEST& request) {
            request.file = path;
            request.filterIndex = filterIndex;
            return IDOK;
        });
    }
    std::vector<std::u16string> Messages() const
    {
        std::vector<std::u16string> texts;
        for (const SHELL_REQUEST& request : requests)
            if (request.kind == ShellRequestKind::MessageBox)
                texts.push_back(request.text);
        return texts;
    }

    std::vector<SHELL_REQUEST> requests;

private:
    std::deque<std::function<int(SHELL_REQUEST&)>> m_answers;
    ShellHandler m_former;
};
