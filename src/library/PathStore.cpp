#include "PathStore.h"

#include <cstring>
#include <new>

#include "SeparaNom.h"

namespace library {

void PathStore::reserve(std::size_t entries, std::size_t bytes) {
  m_starts.reserve(entries);
  m_lengths.reserve(entries);
  m_bytes.reserve(bytes);
  m_lower.reserve(bytes);
}

void RawBytes::reserve(std::size_t n) {
  if (n <= m_capacity) return;
  char* next = static_cast<char*>(std::realloc(m_data, n));
  if (!next) throw std::bad_alloc();
  m_data = next;
  m_capacity = n;
}

char* RawBytes::grow(std::size_t n) {
  if (m_size + n > m_capacity) reserve(std::max(m_size + n, m_capacity + m_capacity / 2 + 4096));
  char* at = m_data + m_size;
  m_size += n;
  return at;
}

void PathStore::lowerTail() {
  const std::size_t from = m_lower.size();
  const std::size_t n = m_bytes.size() - from;
  char* out = m_lower.grow(n);
  const char* in = m_bytes.data() + from;
  for (std::size_t k = 0; k < n; ++k) {
    const char c = in[k];
    out[k] = char(c + ((c >= 'A' && c <= 'Z') ? ('a' - 'A') : 0));
  }
}

std::size_t PathStore::appendBytes(const char* bytes, std::size_t length) {
  const std::size_t at = m_bytes.size();
  std::memcpy(m_bytes.grow(length), bytes, length);
  lowerTail();
  return at;
}

char* PathStore::reserveBytes(std::size_t length) {
  m_bytes.reserve(m_bytes.size() + length);
  m_lower.reserve(m_bytes.size() + length);
  return m_bytes.grow(length);
}

std::size_t PathStore::commitBytes(std::size_t requested, std::size_t arrived) {
  const std::size_t at = m_bytes.size() - requested;
  m_bytes.shrink(at + arrived);
  lowerTail();
  return at;
}

void PathStore::addEntry(std::size_t start, std::size_t length) {
  m_starts.push_back(start);
  m_lengths.push_back(std::uint32_t(std::min<std::size_t>(length, UINT32_MAX)));
}

void PathStore::append(const QString& path) {
  const QByteArray b = path.toLocal8Bit();
  append(b.constData(), std::size_t(b.size()));
}

QString PathStore::path(std::size_t i) const {
  const std::string_view b = bytes(i);
  return QString::fromLocal8Bit(b.data(), qsizetype(b.size()));
}

QString PathStore::name(std::size_t i) const {
  // The file name starts after the last separator before the last character (a path that
  // ends in a separator keeps its last folder name, separator included).
  const std::string_view b = bytes(i);
  std::size_t from = 0;
  for (std::size_t k = b.size() >= 2 ? b.size() - 1 : 0; k-- > 0;)
    if (isPathSeparator(QLatin1Char(b[k]))) {
      from = k + 1;
      break;
    }
  return QString::fromLocal8Bit(b.data() + from, qsizetype(b.size() - from));
}

}  // namespace library
