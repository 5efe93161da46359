// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drill/Drill.h"

namespace tolvanex {

Drill::Drill(const Services& services, const BankContent& content)
    : m_services(services)
    , m_content(content)
    , m_reader(m_bank, m_setup)
    , m_recorder(services, m_setup)
{
}

Outcome Drill::load()
{
    m_setup = StartUp(m_services, m_content).load(m_bank);
    m_reader.start();
    return Outcome {};
}

Outcome Drill::nextQuestion(const std::string& question, const std::string& answer)
{
    Outcome outcome = m_reader.nextQuestion(answer, m_answerKept);
    m_recorder.setEntryText(question + outcome.addToQuestion);
    return outcome;
}

Outcome Drill::enterResponse(const std::string& answer)
{
    return afterFiling(m_recorder.enterResponse(answer, m_reader.block()));
}

Outcome Drill::saveAsNotes(const std::string& answer)
{
    return afterFiling(m_recorder.saveAsNotes(answer, m_reader.block()));
}

Outcome Drill::clearBox()
{
    m_answerKept = false;
    return m_recorder.clearBox();
}

Outcome Drill::nextPicture()
{
    m_reader.nextPicture();
    return Outcome {};
}

Outcome Drill::afterFiling(Outcome outcome)
{
    if (outcome.filed == Filed::Response || outcome.filed == Filed::Note)
        m_reader.answered();
    m_answerKept = outcome.filed == Filed::Kept;
    return outcome;
}

} // namespace tolvanex
