// Fuzz target: the language file's reader. The input is a whole file; its fields are read,
// its table built and matched against a window's controls (names only, no widgets). Every
// "FORM" field must start exactly one row, and no row may exist without one.
#include <cstdint>

#include "app/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
  int forms = 0;
  for (const QString& field : app::LanguageFile::ReadFields(content))
    if (field.left(4).toUpper() == QLatin1String("FORM")) ++forms;
  const std::vector<app::LanguageRow> table = app::LanguageFile::ReadTable(content);
  if (int(table.size()) != forms) __builtin_trap();
  static const ui::ControlOrder controls = {
      {QStringLiteral("lblTime"), -1, nullptr}, {QStringLiteral("EQDOWN"), 0, nullptr},
      {QStringLiteral("EQDOWN"), 14, nullptr},  {QStringLiteral("cmd"), -1, nullptr},
      {QStringLiteral("txtBase"), 1, nullptr},
  };
  // Without controls to change, nothing may count as changed.
  if (app::LanguageFile::Apply(table, controls) != 0) __builtin_trap();
  return 0;
}
