// The data sheet's "計数器読込" (a counter's export, through the columns dialog) and "ID読込" (a
// list of sample identifiers).
#include "data/counter_export.h"
#include "data/data_procedures.h"
#include "data/reg_columns.h"
#include "data/sample_ids.h"
#include "state/program.h"
#include "text/cp932.h"
#include "text/format.h"
#include "text/text_file.h"

namespace quorin {

namespace {

const ui::File_Dialog Export_Dialog{"計数器のファイルを開く", "CSV・タブ区切り(*.csv;*.tsv;*.txt)|*.csv;*.tsv;*.txt",
                                    "csv"};
const ui::File_Dialog Ids_Dialog{"ID ファイルを開く", "ﾃｷｽﾄ(*.txt;*.csv)|*.txt;*.csv", "txt"};

}  // namespace

void Counter_Open(Program& program) {
  if (!May_Discard_Count_Edits(program)) return;
  const std::string path = program.platform.open_file(Export_Dialog);
  if (path.empty()) return;
  // Only the header row is needed to ask for the columns; the whole file is read on loading.
  text::File_Reader file(path);
  constexpr std::size_t Head_Bytes = std::size_t{64} << 10;
  std::string head(Head_Bytes, '\0');
  head.resize(file.failure().empty() ? file.read(head.data(), head.size()) : 0);
  if (!file.failure().empty()) {
    program.platform.message(file.failure());
    return;
  }
  const bool whole = head.size() < Head_Bytes;
  // Whole lines only, so that no character is cut; the header row may take several (a quoted
  // line break).
  if (const std::size_t last = head.rfind('\n'); last != std::string::npos) head.resize(last + 1);
  std::string refusal;
  std::optional<std::string> utf8 = text::any_text_to_utf8(head, &refusal);
  if (!utf8 && !whole) {  // the rest of the file may tell the encoding that its head cannot
    const text::File_Read file_read = text::read_file(path);
    if (!file_read.ok) {
      program.platform.message(file_read.message);
      return;
    }
    utf8 = text::any_text_to_utf8(file_read.bytes, &refusal);
  }
  if (!utf8) {
    program.platform.message("データファイルを読み込めません: " + path + " (" + refusal + ")");
    return;
  }
  const std::vector<std::string> headers = counter_headers(*utf8);
  if (headers.empty() || (headers.size() == 1 && headers[0].empty())) {
    program.platform.message("データファイルを読み込めません: " + path + " (見出しの行がありません)");
    return;
  }
  program.show(Screen::Columns);
  if (auto* dialog = program.screen_as<Reg_Columns>(Screen::Columns)) dialog->ask(path, headers);
}

void Ids_Load(Program& program) {
  const std::string path = program.platform.open_file(Ids_Dialog);
  if (path.empty()) return;
  std::string note;
  if (const std::string failure = load_sample_ids(program.state, path, note); !failure.empty()) {
    program.platform.message(failure);
    return;
  }
  program.platform.message("ID を読み込みました: " + path + (note.empty() ? "" : "\n" + note));
}

}  // namespace quorin
