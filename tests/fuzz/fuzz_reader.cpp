// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the report reader on bytes nobody here wrote, then the report and the CSV made
// of what it read. The first byte picks the file's name (master, send, notes, or a copy of a send file).
#include "core/report/ClassReport.h"
#include "core/report/CsvWriter.h"
#include "core/report/HtmlReport.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string_view>

using namespace tolvanex::report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const BankIndex bank;
    if (size == 0)
        return 0;
    static constexpr std::string_view kNames[]
        = { "masterFile_A_B.txt", "send_0107A_B.txt", "notes_A_B.txt", "SEND_0107a_b (1).TXT" };
    const std::string_view name = kNames[data[0] % 4];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const ReadFile read = readFile(name, bytes, bank);
    std::ostringstream csvText;
    CsvWriter csv(csvText, bank);
    for (const FiledRecord& record : read.records)
        csv.write(read.name.namePart, std::string(name), record);
    static const std::filesystem::path pages = [] {
        auto folder = std::filesystem::temp_directory_path() / "tolvanex_fuzz_pages";
        std::filesystem::create_directories(folder);
        return folder;
    }();
    ClassReport report(bank);
    HtmlReport html(report, bank, pages, "fuzz");
    report.setSink(&html);
    report.add(std::string(name), read);
    std::string error;
    html.finish(error);
    return 0;
}
