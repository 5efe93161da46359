// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/drill/Drill.h"

#include "core/recording/Coding.h"

namespace tolvanex {

Drill::Drill(const Services& services, DrillView& view, const BankContent& content)
    : m_services(services)
    , m_startUp(services, view, m_state, m_bank, content)
    , m_reader(view, m_state, m_bank)
    , m_recorder(services, view, m_state)
{
}

std::string Drill::makeCodeLine(float codeNbr)
{
    return tolvanex::makeCodeLine(codeNbr, m_services.random);
}

} // namespace tolvanex
