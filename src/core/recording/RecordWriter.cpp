#include "core/recording/RecordWriter.h"

#include "core/recording/Cp1252.h"

namespace tolvanex {

RecordWriter::RecordWriter(FileSystem& files, const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
        m_files.push_back(files.openForAppend(path));
    m_pending.resize(m_files.size());
}

void RecordWriter::line(std::size_t file, const std::string& text)
{
    m_pending.at(file) += encodeCp1252(text);
    m_pending.at(file) += "\r\n";
}

void RecordWriter::text(std::size_t file, const std::string& text)
{
    m_pending.at(file) += encodeCp1252(text);
}

void RecordWriter::lineToAll(const std::string& text)
{
    for (std::size_t file = 0; file < m_files.size(); ++file)
        line(file, text);
}

void RecordWriter::commit()
{
    for (std::size_t file = 0; file < m_files.size(); ++file) {
        m_files[file]->write(m_pending[file]);
        m_files[file]->commit();
    }
}

void reportFileError(MessageService& messages, const FileError& error, const std::string& what)
{
    messages.showMessage(what + "\n\nFile: " + error.path() + "\nReason: " + error.reason());
}

} // namespace tolvanex
