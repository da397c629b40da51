#include "qc/connection_string.h"

#include <libpq-fe.h>

#include <cctype>
#include <cstring>
#include <memory>

namespace quorin::qc {

namespace {

bool starts_with_any_case(const std::string& text, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// True when the text begins with a word and "=", as libpq's key/value form does ("host=/tmp
// dbname=qc"); a misspelt key is libpq's to refuse, so that its value is never taken for a path.
bool starts_with_key(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  const std::size_t word = at;
  while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) || text[at] == '_')) ++at;
  if (at == word) return false;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return at < text.size() && text[at] == '=';
}

// libpq's reason with every quoted fragment of the string left out: its messages quote the part
// they could not read, which may hold a secret.
std::string without_quotes(std::string reason) {
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  std::string kept;
  for (std::size_t at = 0; at < reason.size();) {
    const std::size_t open = reason.find('"', at);
    const std::size_t close = open == std::string::npos ? std::string::npos : reason.find('"', open + 1);
    if (close == std::string::npos) return kept + reason.substr(at);
    kept += reason.substr(at, open - at);
    kept += close - open == 2 ? reason.substr(open, 3) : "\"…\"";  // one character ("=") says no secret
    at = close + 1;
  }
  return kept;
}

}  // namespace

bool names_server(const std::string& where) {
  return starts_with_any_case(where, "postgresql:") || starts_with_any_case(where, "postgres:") ||
         starts_with_key(where);
}

History_Name read_history_name(const std::string& where) {
  if (!names_server(where)) return {};
  char* error = nullptr;
  const std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconninfoParse(where.c_str(), &error),
                                                                             PQconninfoFree);
  if (!options) {
    const std::string reason = error != nullptr ? without_quotes(error) : "メモリが足りません";
    PQfreemem(error);
    return {History_Name::Kind::Refused, "履歴サーバーの接続文字列を読めません (" + reason + ")"};
  }
  for (const PQconninfoOption* option = options.get(); option->keyword != nullptr; ++option)
    if ((std::strcmp(option->keyword, "password") == 0 || std::strcmp(option->keyword, "sslpassword") == 0) &&
        option->val != nullptr)
      return {History_Name::Kind::Refused,
              "履歴サーバーの接続文字列にパスワードを書かないでください。パスワードは ~/.pgpass (または "
              "PGPASSWORD) に置きます"};
  return {History_Name::Kind::Server, ""};
}

}  // namespace quorin::qc
