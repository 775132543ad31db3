#include "tools/scripted_answers.h"

namespace Shell {

ScriptedAnswers::ScriptedAnswers() : previous_(setAnswerer([this](const Request &request) { return answer(request); }))
{ }

ScriptedAnswers::~ScriptedAnswers() { setAnswerer(std::move(previous_)); }

void ScriptedAnswers::push(Answer answer) { script_.push_back(std::move(answer)); }

QStringList ScriptedAnswers::texts() const
{
    QStringList result;
    for (const Request &request : requests_)
        result.append(request.text);
    return result;
}

void ScriptedAnswers::clear()
{
    requests_.clear();
    script_.clear();
}

Answer ScriptedAnswers::answer(const Request &request)
{
    requests_.append(request);
    if (request.kind == Kind::Error)
        return {true, {}};  // there is nothing to choose: OK
    if (script_.empty())
        return {false, request.initial};
    Answer next = std::move(script_.front());
    script_.pop_front();
    return next;
}

}  // namespace Shell
