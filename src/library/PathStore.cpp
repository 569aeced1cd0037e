#include "PathStore.h"

#include "SeparaNom.h"

namespace library {

void PathStore::reserve(std::size_t entries, std::size_t bytes) {
  m_starts.reserve(entries);
  m_nameAt.reserve(entries);
  m_bytes.reserve(bytes);
  m_lower.reserve(bytes);
}

void PathStore::append(const char* bytes, std::size_t length) {
  m_starts.push_back(m_bytes.size());
  m_bytes.append(bytes, length);
  std::uint32_t name = 0;
  // The file name starts after the last separator before the last character (a path that
  // ends in a separator keeps its last folder name, separator included).
  for (std::size_t k = length >= 2 ? length - 1 : 0; k-- > 0;) {
    if (isPathSeparator(QLatin1Char(bytes[k]))) {
      name = std::uint32_t(k + 1);
      break;
    }
  }
  m_nameAt.push_back(name);
  const std::size_t at = m_lower.size();
  m_lower.append(bytes, length);
  for (std::size_t k = at; k < m_lower.size(); ++k) {
    char& c = m_lower[k];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
}

void PathStore::append(const QString& path) {
  const QByteArray b = path.toLocal8Bit();
  append(b.constData(), std::size_t(b.size()));
}

std::string_view PathStore::bytes(std::size_t i) const {
  return std::string_view(m_bytes).substr(begin(i), end(i) - begin(i));
}
std::string_view PathStore::lowerBytes(std::size_t i) const {
  return std::string_view(m_lower).substr(begin(i), end(i) - begin(i));
}

QString PathStore::path(std::size_t i) const {
  const std::string_view b = bytes(i);
  return QString::fromLocal8Bit(b.data(), qsizetype(b.size()));
}

QString PathStore::name(std::size_t i) const {
  const std::string_view b = bytes(i).substr(m_nameAt[i]);
  return QString::fromLocal8Bit(b.data(), qsizetype(b.size()));
}

std::size_t PathStore::memoryBytes() const {
  return m_bytes.capacity() + m_lower.capacity() + m_starts.capacity() * 8 +
         m_nameAt.capacity() * 4;
}

}  // namespace library
