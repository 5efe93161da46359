#pragma once

#include "core/platform/Services.h"

#include <memory>
#include <string>
#include <vector>

namespace tolvanex {

// Writes one record to several output files. All files are opened (appending, created when
// missing) before anything is written, so a file that cannot be opened costs nothing; each file's
// lines are gathered and then written and put on stable storage by commit(). Texts are encoded to
// Windows-1252; every line ends in CR LF.
class RecordWriter {
public:
    RecordWriter(FileSystem& files, const std::vector<std::string>& paths);

    void line(std::size_t file, const std::string& text);
    // Text with no line break after it.
    void text(std::size_t file, const std::string& text);
    void lineToAll(const std::string& text);
    std::size_t fileCount() const { return m_files.size(); }

    // Writes and syncs the files in the order they were opened; throws FileError on the first
    // failure (files before it are complete on disk).
    void commit();

private:
    std::vector<std::unique_ptr<AppendFile>> m_files;
    std::vector<std::string> m_pending;
};

// Tells the student that a file could not be written or read: what happened, then the file and
// the system's reason.
void reportFileError(MessageService& messages, const FileError& error, const std::string& what);

} // namespace tolvanex
