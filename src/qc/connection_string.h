#pragma once
// How the program reads the name of a history: a file, or a PostgreSQL connection string in
// either of libpq's forms ("postgresql://host/db?user=u", "host=h dbname=db"). Anything that
// begins with "postgresql:" or "postgres:" (any case, any slashes) or with a word and "=" names a
// server and is never taken for a file path (a file so named is given with its folder, "./a=b"). A server's string is
// read by libpq's own parser before anything is done with it: one that libpq cannot read, or that carries a password in
// any spelling (a "user:password@" part, "password=" or "sslpassword=", percent-encoded keys), is refused, and the
// refusal never repeats the string or the secret.

#include <string>

namespace quorin::qc {

struct History_Name {
  enum class Kind { File, Server, Refused };
  Kind kind = Kind::File;
  std::string problem;  // for Refused: why, in the user's words, without the string itself
};

History_Name read_history_name(const std::string& where);

// True when `where` names a server rather than a file (whether or not it can be used).
bool names_server(const std::string& where);

}  // namespace quorin::qc
