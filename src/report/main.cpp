// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// tolvanex-report: reads the files a class sent (SEND, master and notes files, or folders holding
// them) and writes the report as a folder of linked pages, and the records as CSV if asked.
#include "core/report/ClassReport.h"
#include "core/report/CsvWriter.h"
#include "core/report/HtmlReport.h"
#include "core/report/Roster.h"
#include "core/text/Texts.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#define TOLVANEX_ISATTY(fd) _isatty(fd)
#else
#include <sys/stat.h>
#include <unistd.h>
#define TOLVANEX_ISATTY(fd) isatty(fd)
#endif

namespace {

using namespace tolvanex::report;
namespace fs = std::filesystem;

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kUsage = 2;

const char* const kUsageText
    = "Usage: tolvanex-report [options] PATH...\n"
      "Reads the files students of the course Physics I sent (send_MMDD<name>.txt, masterFile_<name>.txt,\n"
      "notes_<name>.txt), given as files or folders (searched with their subfolders), checks each whole and\n"
      "writes the report as a folder of linked pages to open in a browser: FOLDER/index.html with the\n"
      "summary, the assignments, the students and the findings; a page per assignment with its ratings and\n"
      "the questions students posed; a page per question with every response and note; a page per student.\n"
      "\n"
      "Options:\n"
      "  -o, --output FOLDER  the report's folder (default: tolvanex-report in the current folder); a report\n"
      "                       there already is replaced whole, any other folder or file is refused\n"
      "      --csv FILE       every record as CSV as well (UTF-8, RFC 4180 quoting)\n"
      "      --roster FILE    the class's names, one a line as typed at the name prompt: the report\n"
      "                       lists who sent nothing, who sent nothing for an assignment, and the\n"
      "                       names in the files that are not on the roster\n"
      "      --summary-csv FILE  a row per student for a gradebook: per assignment the questions\n"
      "                       responded to and the mean confidence\n"
      "  -h, --help           this help\n"
      "  -v, --version        the version\n"
      "\n"
      "Exit status: 0 every file was read whole with no finding; 1 findings were made (the report is\n"
      "still written); 2 a usage error, the report could not be written, or nothing could be read (an\n"
      "earlier report is then left as it was).\n";

std::string utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

int usageError(const std::string& message)
{
    std::cerr << "tolvanex-report: " << message << "\n\n" << kUsageText;
    return kUsage;
}

// Which file a path names, the same however the path reaches it ("class" and "./class/", a link,
// another case of the letters on Windows), from one look at the file.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool known = false; // false when there is no such file

    bool same(const FileId& other) const
    {
        return known && other.known && volume == other.volume && index == other.index;
    }
    bool operator<(const FileId& other) const
    {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

FileId identity(const fs::path& path)
{
    FileId id;
#ifdef _WIN32
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info {};
    id.known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
#else
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0)
        return id;
    id.known = true;
    id.volume = static_cast<std::uint64_t>(status.st_dev);
    id.index = static_cast<std::uint64_t>(status.st_ino);
#endif
    return id;
}

// Files of one student one after another, master first, send files by day, notes last.
int kindOrder(FileKind kind)
{
    switch (kind) {
    case FileKind::Master:
        return 0;
    case FileKind::Send:
        return 1;
    case FileKind::Notes:
        return 2;
    default:
        return 3;
    }
}

// The files to read, held compactly (a term's class sends some 150,000 files): a file is its
// folder's number, its student's number and its name, in 16 bytes; its identity is kept apart
// until each file is found once. A name the program itself would give the file
// ("send_0107Ann_Lee.txt" for Ann_Lee's send file of 7 January) is not kept but made again when
// asked for; any other is kept in one text with the rest. The entries sit in blocks that never
// move (a vector's doubling would hold the list twice at its peak), and are put in the order to
// read them in where they are.
class Inputs {
public:
    // A file reached in a folder (UTF-8).
    void add(const std::string& folder, std::string_view name, const FileId& id)
    {
        if (m_folders.empty() || m_folders.back() != folder) {
            m_folders.push_back(folder);
            // The folder with its separator, for the names in it ("" for a file named alone).
            m_prefixes.push_back(utf8(fs::u8path(folder) / fs::path()));
        }
        const FileName parsed = parseFileName(name);
        const auto student = m_studentOf.try_emplace(studentKey(parsed.namePart), m_nameParts.size()).first;
        if (student->second == m_nameParts.size())
            m_nameParts.push_back(parsed.namePart);
        m_indexes.push_back(id.known ? id.index : 0);
        m_volumes.push_back(id.known ? volumeNumber(id.volume) : kUnknown);
        Entry entry;
        entry.folder = static_cast<std::uint32_t>(m_folders.size() - 1);
        entry.student = static_cast<std::uint32_t>(student->second);
        entry.kind = static_cast<std::uint8_t>(parsed.kind);
        const auto day = static_cast<std::uint32_t>(parsed.kind == FileKind::Send ? std::stoul(parsed.mmdd) : 0);
        if (parsed.kind != FileKind::Other && name == ownName(parsed.kind, day, entry.student)) {
            entry.nameLength = kOwnName;
            entry.at = day;
        } else {
            entry.nameLength = static_cast<std::uint16_t>(std::min<std::size_t>(name.size(), kOwnName - 1));
            entry.at = static_cast<std::uint32_t>(m_names.size());
            m_names += name.substr(0, entry.nameLength);
        }
        m_entries.push_back(entry);
    }
    // Each file once however it was reached (the first way kept); then a student's files one after
    // another, the students in the order of their keys, master first, send files by day, notes last.
    void order()
    {
        m_order.resize(m_entries.size());
        for (std::uint32_t i = 0; i < m_order.size(); ++i)
            m_order[i] = i;
        const auto byId = [&](std::uint32_t a, std::uint32_t b) {
            const bool knownA = m_volumes[a] != kUnknown;
            const bool knownB = m_volumes[b] != kUnknown;
            if (knownA != knownB)
                return knownA;
            return knownA ? std::tie(m_volumes[a], m_indexes[a], a) < std::tie(m_volumes[b], m_indexes[b], b) : a < b;
        };
        std::sort(m_order.begin(), m_order.end(), byId);
        const auto same = [&](std::uint32_t a, std::uint32_t b) {
            return m_volumes[a] != kUnknown && m_volumes[a] == m_volumes[b] && m_indexes[a] == m_indexes[b];
        };
        m_order.erase(std::unique(m_order.begin(), m_order.end(), same), m_order.end());
        // The identities have done their work.
        std::deque<std::uint64_t>().swap(m_indexes);
        std::deque<std::uint16_t>().swap(m_volumes);
        m_names.shrink_to_fit();
        std::vector<std::uint32_t> rank(m_nameParts.size());
        std::uint32_t next = 0;
        std::map<std::string_view, std::size_t> sorted;
        for (const auto& [key, number] : m_studentOf)
            sorted.emplace(key, number);
        for (const auto& [key, number] : sorted)
            rank[number] = next++;
        std::sort(m_order.begin(), m_order.end(), [&](std::uint32_t x, std::uint32_t y) {
            const Entry& a = m_entries[x];
            const Entry& b = m_entries[y];
            if (a.student != b.student)
                return rank[a.student] < rank[b.student];
            if (a.kind != b.kind)
                return kindOrder(FileKind { a.kind }) < kindOrder(FileKind { b.kind });
            if (a.folder != b.folder)
                return m_folders[a.folder] < m_folders[b.folder];
            // Two names the program gives a student's files of one kind differ in the day alone.
            if (a.nameLength == kOwnName && b.nameLength == kOwnName)
                return a.at < b.at;
            return name(a) < name(b);
        });
        // The entries put in that order where they are (a second list would hold them twice at
        // once): the files found a second way go last, and are dropped.
        const std::size_t kept = m_order.size();
        std::vector<bool> done(m_entries.size(), false);
        for (const std::uint32_t i : m_order)
            done[i] = true;
        for (std::uint32_t i = 0; i < m_entries.size(); ++i) {
            if (!done[i])
                m_order.push_back(i);
        }
        done.assign(m_entries.size(), false);
        for (std::size_t start = 0; start < m_order.size(); ++start) {
            if (done[start])
                continue;
            // Along the cycle from here: each place takes the entry from the next, the last the first.
            const Entry first = m_entries[start];
            for (std::size_t at = start;;) {
                done[at] = true;
                const std::size_t from = m_order[at];
                if (from == start) {
                    m_entries[at] = first;
                    break;
                }
                m_entries[at] = m_entries[from];
                at = from;
            }
        }
        m_entries.resize(kept);
        std::vector<std::uint32_t>().swap(m_order);
    }
    std::size_t size() const { return m_entries.size(); }
    // How many students the files are of, at the most.
    std::size_t students() const { return m_nameParts.size(); }
    std::string name(std::size_t i) const { return name(m_entries[i]); }
    // The path as the report names it.
    std::string path(std::size_t i) const
    {
        const Entry& entry = m_entries[i];
        return m_prefixes[entry.folder] + name(entry);
    }

private:
    static constexpr std::uint16_t kOwnName = UINT16_MAX;
    static constexpr std::uint16_t kUnknown = UINT16_MAX; // a volume's number: no such file was found
    struct Entry {
        std::uint32_t at = 0; // the name's place in m_names, or the day of an own name (MMDD)
        std::uint32_t folder = 0;
        std::uint32_t student = 0;
        std::uint16_t nameLength = 0; // kOwnName for a name the program gives
        std::uint8_t kind = 0; // a FileKind
    };
    static_assert(sizeof(Entry) == 16);

    std::string ownName(FileKind kind, std::uint32_t day, std::uint32_t student) const
    {
        std::string made = kind == FileKind::Master ? "masterFile_" : kind == FileKind::Notes ? "notes_" : "send_";
        if (kind == FileKind::Send) {
            made += static_cast<char>('0' + day / 1000);
            made += static_cast<char>('0' + day / 100 % 10);
            made += static_cast<char>('0' + day / 10 % 10);
            made += static_cast<char>('0' + day % 10);
        }
        return made + m_nameParts[student] + ".txt";
    }
    std::string name(const Entry& e) const
    {
        if (e.nameLength == kOwnName)
            return ownName(FileKind { e.kind }, e.at, e.student);
        return m_names.substr(e.at, e.nameLength);
    }
    std::uint16_t volumeNumber(std::uint64_t volume)
    {
        const auto found = std::find(m_volumeIds.begin(), m_volumeIds.end(), volume);
        if (found != m_volumeIds.end())
            return static_cast<std::uint16_t>(found - m_volumeIds.begin());
        if (m_volumeIds.size() + 1 >= kUnknown)
            throw std::runtime_error("the files are on more volumes than the report can tell apart");
        m_volumeIds.push_back(volume);
        return static_cast<std::uint16_t>(m_volumeIds.size() - 1);
    }

    std::vector<std::string> m_folders;
    std::vector<std::string> m_prefixes;
    std::vector<std::uint64_t> m_volumeIds;
    // Each entry's identity (FileId), by the entry's number, until order(): its index and its
    // volume's number.
    std::deque<std::uint64_t> m_indexes;
    std::deque<std::uint16_t> m_volumes;
    std::unordered_map<std::string, std::size_t> m_studentOf; // by studentKey()
    std::vector<std::string> m_nameParts; // each student's name part as first found
    std::string m_names;
    std::deque<Entry> m_entries;
    std::vector<std::uint32_t> m_order; // while order() works
};

// Writes a file whole or not at all: into a file beside it, renamed over it once written, so
// that a report killed on the way leaves the old file as it was.
class Beside {
public:
    explicit Beside(const std::string& path)
        : m_path(fs::u8path(path))
        , m_draft(fs::u8path(path + ".new"))
    {
        m_out.open(m_draft, std::ios::binary | std::ios::trunc);
    }
    ~Beside()
    {
        if (!m_done) {
            m_out.close();
            std::error_code ignored;
            fs::remove(m_draft, ignored);
        }
    }
    std::ofstream& out() { return m_out; }
    bool opened() const { return m_out.is_open(); }
    // Closes and renames; the system's reason when that fails.
    std::string finish()
    {
        m_out.close();
        if (!m_out)
            return "it could not be written whole";
        std::error_code error;
        fs::rename(m_draft, m_path, error);
        if (error)
            return error.message();
        m_done = true;
        return {};
    }

private:
    fs::path m_path;
    fs::path m_draft;
    std::ofstream m_out;
    bool m_done = false;
};

// A file's bytes, read whole into a buffer kept from file to file (none of it cleared or copied
// on the way: a class is read at the speed of the disk). Empty when it cannot be read.
class FileBytes {
public:
    bool read(const std::string& path)
    {
        m_size = 0;
#ifdef _WIN32
        std::FILE* file = _wfopen(fs::u8path(path).c_str(), L"rb");
#else
        std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
        if (!file)
            return false;
        std::setvbuf(file, nullptr, _IONBF, 0);
        // Room for most files at once; a larger one is read on into a buffer grown for it.
        reserve(kLeast);
        for (;;) {
            if (m_size == m_capacity)
                reserve(m_capacity * 2);
            const std::size_t got = std::fread(m_data.get() + m_size, 1, m_capacity - m_size, file);
            m_size += got;
            if (got == 0)
                break;
        }
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        return !failed;
    }
    std::string_view view() const
    {
        return { m_data.get(), m_size };
    }

private:
    void reserve(std::size_t capacity)
    {
        if (capacity <= m_capacity)
            return;
        capacity = std::max(capacity, m_capacity + m_capacity / 2);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0)
            std::memcpy(grown.get(), m_data.get(), m_size);
        m_data = std::move(grown);
        m_capacity = capacity;
    }

    static constexpr std::size_t kLeast = 64u << 10;
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

// The files read and parsed in order on a thread of its own, handed over one by one; the thread
// waits while what it read ahead holds more than a megabyte, so that memory holds little more
// than the largest file.
class ReadAhead {
public:
    struct Item {
        std::string path;
        tolvanex::report::ReadFile read;
        std::size_t bytes = 0; // as read, for the limit
    };

    ReadAhead(const Inputs& inputs, const BankIndex& bank)
        : m_thread([this, &inputs, &bank] { run(inputs, bank); })
    {
    }
    ~ReadAhead()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next file; to be called once for each.
    Item next()
    {
        std::unique_lock lock(m_mutex);
        m_counterWaits = true;
        m_changed.wait(lock, [this] { return !m_ready.empty(); });
        m_counterWaits = false;
        Item item = std::move(m_ready.front());
        m_ready.pop_front();
        m_held -= item.bytes;
        // The reader woken when half of what it read ahead is taken, not at each file: each
        // wake-up costs as much as a small file's counting.
        const bool wake = m_readerWaits && (m_ready.empty() || m_held < kMostHeld / 2);
        lock.unlock();
        if (wake)
            m_changed.notify_all();
        return item;
    }

private:
    static constexpr std::size_t kMostHeld = 1u << 20;
    static constexpr std::size_t kBatch = 32; // files handed over at a time to a waiting counter

    void run(const Inputs& inputs, const BankIndex& bank)
    {
        FileBytes bytes;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            Item item;
            item.path = inputs.path(i);
            if (!bytes.read(item.path)) {
                item.read.name = parseFileName(inputs.name(i));
                item.read.skipped = "the file cannot be read";
            } else {
                item.read = readFile(inputs.name(i), bytes.view(), bank);
                item.bytes = bytes.view().size();
            }
            std::unique_lock lock(m_mutex);
            m_readerWaits = true;
            m_changed.wait(lock, [this] { return m_stop || m_ready.empty() || m_held < kMostHeld; });
            m_readerWaits = false;
            if (m_stop)
                return;
            m_held += item.bytes;
            m_ready.push_back(std::move(item));
            const bool wake
                = m_counterWaits && (m_ready.size() >= kBatch || m_held >= kMostHeld || i + 1 == inputs.size());
            lock.unlock();
            if (wake)
                m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_ready;
    std::size_t m_held = 0;
    bool m_counterWaits = false; // for the next file
    bool m_readerWaits = false; // for room
    bool m_stop = false;
    std::thread m_thread; // last: started once the rest is made
};

class Progress {
public:
    explicit Progress(std::size_t files)
        : m_files(files)
        , m_on(TOLVANEX_ISATTY(2) && files > 200)
    {
    }
    void step(std::size_t file)
    {
        if (!m_on)
            return;
        const std::size_t files = m_files;
        const int percent = files == 0 ? 100 : static_cast<int>(file * 100 / files);
        if (percent == m_shown && file != files)
            return;
        m_shown = percent;
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\rReading [%s%s] %3d%% %zu/%zu files",
            std::string(static_cast<std::size_t>(filled), '#').c_str(),
            std::string(static_cast<std::size_t>(30 - filled), ' ').c_str(), percent, file, files);
        if (file == files)
            std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    std::size_t m_files;
    bool m_on;
    int m_shown = -1;
};

// A folder that holds a report: its index page carries the report's mark.
bool isReport(const fs::path& folder)
{
    std::ifstream index(folder / kIndexPage, std::ios::binary);
    std::string head(4096, '\0');
    index.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(index.gcount()));
    return head.find(kGeneratorMark) != std::string::npos;
}

// Why the report may not go into this folder; empty when it may. A report's folder is replaced
// whole, so it must be missing, empty, or a report already; and hold none of the files read. It
// may lie in a folder read: reports are left out there.
std::string refusedOutput(const fs::path& folder, const std::vector<std::string>& inputs)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::exists(status) && !fs::is_directory(status))
        return utf8(folder) + " is a file, not a report's folder: the report is a folder of pages";
    if (fs::is_directory(status) && fs::directory_iterator(folder, error) != fs::directory_iterator()
        && !isReport(folder))
        return "the folder " + utf8(folder) + " holds other files than a report; name a new folder";
    const fs::path out = fs::weakly_canonical(fs::absolute(folder, error), error);
    for (const std::string& given : inputs) {
        const fs::path in = fs::weakly_canonical(fs::absolute(fs::u8path(given), error), error);
        if (std::mismatch(out.begin(), out.end(), in.begin(), in.end()).first == out.end())
            return "the report's folder " + utf8(folder) + " holds " + given
                + ", which is to be read: the report would replace it";
    }
    return {};
}

// A new name beside a folder's ("tolvanex-report.new-4f2a9c").
fs::path newSibling(const fs::path& folder, const char* what = ".new-")
{
    std::random_device device;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", static_cast<unsigned>(device()) & 0xFFFFFFu);
    fs::path name = folder;
    if (!name.has_filename())
        name = name.parent_path();
    return name.parent_path() / fs::u8path(utf8(name.filename()) + what + suffix);
}

// The new pages in place of the report's folder; the earlier report, if any, removed once they are.
std::string replaceFolder(const fs::path& pages, const fs::path& folder)
{
    std::error_code error;
    fs::path earlier;
    if (fs::exists(folder, error)) {
        earlier = newSibling(folder, ".old-");
        fs::rename(folder, earlier, error);
        if (error)
            return "the earlier report " + utf8(folder) + " cannot be moved aside: " + error.message();
    }
    fs::rename(pages, folder, error);
    if (error) {
        std::error_code ignored;
        if (!earlier.empty())
            fs::rename(earlier, folder, ignored);
        return "the report cannot be put in place as " + utf8(folder) + ": " + error.message();
    }
    if (!earlier.empty())
        fs::remove_all(earlier, error);
    return {};
}

// The arguments as UTF-8, the program's name first.
int run(const std::vector<std::string>& argv)
{
    const int argc = static_cast<int>(argv.size());
    std::string output = "tolvanex-report";
    std::string csvPath;
    std::string rosterPath;
    std::string summaryPath;
    std::vector<std::string> paths;
    bool options = true;
    // The options that name a file, each with its "--name=FILE" form.
    const std::pair<const char*, std::string*> fileOptions[] = { { "--output", &output }, { "--csv", &csvPath },
        { "--roster", &rosterPath }, { "--summary-csv", &summaryPath } };
    for (int i = 1; i < argc; ++i) {
        const std::string& arg = argv[static_cast<std::size_t>(i)];
        if (options && (arg == "-h" || arg == "--help")) {
            std::cout << kUsageText;
            return kClean;
        }
        if (options && (arg == "-v" || arg == "--version")) {
            std::cout << "tolvanex-report " << TOLVANEX_VERSION << "\n";
            return kClean;
        }
        std::string* value = nullptr;
        std::string given;
        for (const auto& [name, target] : fileOptions) {
            const std::string option = name;
            if (options && (arg == option || (arg == "-o" && target == &output))) {
                if (i + 1 >= argc)
                    return usageError(arg + " needs a file name");
                value = target;
                given = argv[static_cast<std::size_t>(++i)];
            } else if (options && arg.rfind(option + "=", 0) == 0) {
                value = target;
                given = arg.substr(option.size() + 1);
            }
        }
        if (value) {
            *value = given;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty())
        return usageError("no file or folder to read");
    if (output.empty())
        return usageError("the report needs a folder name");
    fs::path outputFolder = fs::u8path(output);
    if (!outputFolder.has_filename()) // "report/"
        outputFolder = outputFolder.parent_path();
    if (const std::string refused = refusedOutput(outputFolder, paths); !refused.empty())
        return usageError(refused);

    if (!csvPath.empty() && identity(fs::u8path(csvPath)).same(identity(fs::u8path(output))))
        return usageError("the report and the CSV are one file: " + output);
    if (!csvPath.empty() && fs::u8path(csvPath).lexically_normal() == fs::u8path(output).lexically_normal())
        return usageError("the report and the CSV are one file: " + output);
    if (!summaryPath.empty()
        && (fs::u8path(summaryPath).lexically_normal() == fs::u8path(csvPath).lexically_normal()
            || fs::u8path(summaryPath).lexically_normal() == outputFolder.lexically_normal()))
        return usageError("the summary CSV is the report or the CSV: " + summaryPath);

    // The files: every regular file in the folders given, and the files given, each once however
    // it is reached. The outputs are never read: a report written into the class's folder is
    // left out, and an output that is a file to read is refused, so that no student's file is
    // written over.
    const FileId outputs[] = { identity(fs::u8path(output)), csvPath.empty() ? FileId() : identity(fs::u8path(csvPath)),
        summaryPath.empty() ? FileId() : identity(fs::u8path(summaryPath)) };
    Inputs inputs;
    std::vector<std::pair<std::string, std::string>> notRead;
    std::string overwritten;
    for (const std::string& given : paths) {
        const fs::path path = fs::u8path(given);
        std::error_code error;
        auto addFile = [&](const fs::path& file, bool named) {
            const std::string name = utf8(file.filename());
            const FileId id = identity(file);
            if (id.same(outputs[0]) || id.same(outputs[1]) || id.same(outputs[2])) {
                if (named || parseFileName(name).kind != FileKind::Other)
                    overwritten = utf8(file);
                return;
            }
            inputs.add(utf8(file.parent_path()), name, id);
        };
        if (fs::is_directory(path, error)) {
            for (auto it = fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, error);
                 !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
                // A report in the folder read (the one being replaced among them) is no student's.
                if (it->is_directory(error) && isReport(it->path())) {
                    it.disable_recursion_pending();
                    continue;
                }
                if (!it->is_regular_file(error))
                    continue;
                // The program's own journal, draft and lock beside the files hold no records.
                if (utf8(it->path().filename()).rfind(".tolvanex_", 0) == 0)
                    continue;
                addFile(it->path(), false);
            }
            if (error)
                notRead.emplace_back(given, "the folder could not be read to the end: " + error.message());
        } else if (fs::is_regular_file(path, error)) {
            addFile(path, true);
        } else {
            notRead.emplace_back(given, "there is no such file or folder");
        }
    }
    if (!overwritten.empty())
        return usageError("the report or the CSV would be written over " + overwritten
            + ", one of the files to read; nothing was written");
    inputs.order();

    const BankIndex bank;
    std::unique_ptr<Beside> csvFile;
    std::unique_ptr<CsvWriter> csv;
    if (!csvPath.empty()) {
        csvFile = std::make_unique<Beside>(csvPath);
        if (!csvFile->opened())
            return usageError("the CSV file " + csvPath + " cannot be written");
        csv = std::make_unique<CsvWriter>(csvFile->out(), bank);
    }

    // The pages go into a new folder beside the report's, which replaces the report once they are
    // all written: a report stopped half way leaves the earlier one whole.
    const fs::path pagesFolder = newSibling(outputFolder);
    {
        std::error_code error;
        if (!fs::create_directory(pagesFolder, error)) {
            std::cerr << "tolvanex-report: the folder " << utf8(pagesFolder) << " cannot be made: " << error.message()
                      << "\n";
            return kUsage;
        }
    }
    struct RemoveOnExit {
        fs::path path;
        ~RemoveOnExit()
        {
            std::error_code ignored;
            if (!path.empty())
                fs::remove_all(path, ignored);
        }
    } pagesLeft { pagesFolder };

    ClassReport report(bank);
    report.reserveStudents(inputs.students() + notRead.size());
    HtmlReport pages(report, bank, pagesFolder, "Class report: " + std::string(tolvanex::texts::courseTitle));
    // The gradebook's rows are gathered only when they are asked for.
    StudentSummary summary;
    RecordSinks sinks(
        summaryPath.empty() ? std::vector<RecordSink*> { &pages } : std::vector<RecordSink*> { &pages, &summary });
    report.setSink(&sinks);
    if (!rosterPath.empty()) {
        FileBytes rosterBytes;
        if (!rosterBytes.read(rosterPath))
            return usageError("the roster " + rosterPath + " cannot be read");
        pages.setRoster(readRoster(rosterBytes.view()));
    }
    Progress progress(inputs.size());
    // Files are read and parsed on a thread of their own while this one counts them and writes the
    // pages, a few megabytes ahead at the most.
    {
        ReadAhead ahead(inputs, bank);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            ReadAhead::Item item = ahead.next();
            const tolvanex::report::ReadFile& read = item.read;
            if (csv) {
                // The student's name as typed: the file name has "_" for each blank.
                std::string student = read.name.namePart;
                std::replace(student.begin(), student.end(), '_', ' ');
                for (const FiledRecord& record : read.records)
                    csv->write(student, item.path, record);
            }
            report.add(item.path, read);
            progress.step(i + 1);
        }
    }
    // The list of files (32 bytes a file) is not needed for the assignments' pages.
    inputs = Inputs();
    for (const auto& [path, reason] : notRead) {
        tolvanex::report::ReadFile missing;
        missing.skipped = reason;
        report.add(path, missing);
    }

    if (report.filesRead() == 0) {
        // Nothing to report: a report there already (last week's, say) stays as it was.
        std::cout << report.summary();
        std::cerr << "tolvanex-report: nothing could be read, so nothing was written (" << output
                  << (csv ? " and " + csvPath + ", if there, stay" : ", if there, stays") << " as before)\n";
        return kUsage;
    }
    std::string pageError;
    if (!pages.finish(pageError)) {
        std::cerr << "tolvanex-report: " << pageError << "\n";
        return kUsage;
    }
    if (const std::string error = replaceFolder(pagesFolder, outputFolder); !error.empty()) {
        std::cerr << "tolvanex-report: " << error << "\n";
        return kUsage;
    }
    pagesLeft.path.clear();
    if (!summaryPath.empty()) {
        Beside table(summaryPath);
        if (table.opened())
            summary.write(table.out(), report);
        if (const std::string failed = table.opened() ? table.finish() : "it cannot be opened"; !failed.empty()) {
            std::cerr << "tolvanex-report: the summary CSV " << summaryPath << " cannot be written: " << failed << "\n";
            return kUsage;
        }
    }
    if (csv) {
        if (const std::string failed = csvFile->finish(); !failed.empty()) {
            std::cerr << "tolvanex-report: the CSV file " << csvPath << " cannot be written: " << failed << "\n";
            return kUsage;
        }
    }
    std::cout << report.summary() << "Report: " << utf8(outputFolder / kIndexPage) << "\n";
    if (csv)
        std::cout << "CSV: " << csvPath << "\n";
    if (!summaryPath.empty())
        std::cout << "Summary CSV: " << summaryPath << "\n";
    return report.findingCount() > 0 || report.filesSkipped() > 0 ? kFindings : kClean;
}

// run(), with what the system refused (no memory, no thread) said instead of an abort.
int runSaying(const std::vector<std::string>& argv)
{
    try {
        return run(argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolvanex-report: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tolvanex-report: the report failed\n");
    }
    return kUsage;
}

} // namespace

#ifdef _WIN32
// Windows passes the arguments in UTF-16: taken from there, a folder named in any script is found,
// where the ANSI code page would turn what it cannot hold into "?".
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf8(fs::path(argv[i])));
    return runSaying(arguments);
}
#else
int main(int argc, char** argv)
{
    return runSaying(std::vector<std::string>(argv, argv + argc));
}
#endif
