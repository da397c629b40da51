#pragma once
// The two files of the help screen. "help.csv" is a sequence of records of four items (section
// code, kind, keyword, explanation), read with the program's comma-separated item reader;
// "readme.csv" is a sequence of items, each one line of the readme. Both are code page 932 text,
// looked up in the given folders in order (see help_location.h).
//
// Nothing here fails loudly: a file that is missing, unreadable, binary or not in code page 932
// gives an empty list and the message to show; a help file with more records than the screen can
// list gives the first ones and a message saying how many were left out.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorin::help {

inline constexpr const char* Help_File_Name = "help.csv";
inline constexpr const char* Readme_File_Name = "readme.csv";

// The screen lists at most this many topics.
inline constexpr int Max_Topics = 100;

// Kind of topic that explains a command button.
inline constexpr std::int16_t Command_Button_Kind = 3;

struct Help_Topic {
  double Help_Section = 0;     // 0 general, 1 conditions, 2 data entry, 3 standard curve, 4 results,
                               // 5 the model screen
  std::int16_t Help_Kind = 0;  // Command_Button_Kind for a command-button topic
  std::string Help_Title;      // the keyword
  std::string Help_Text;       // the explanation
};

struct Help_Read {
  std::vector<Help_Topic> topics;  // record k is topics[k - 1]; at most Max_Topics
  std::string message;             // "" when the file was read completely
};

struct Readme_Read {
  std::vector<std::string> lines;
  std::string message;  // "" when the file was read
};

Help_Read read_help_topics(const std::vector<std::string>& folders);
Readme_Read read_readme_lines(const std::vector<std::string>& folders);

// The same from a file's bytes already read; `path` only names the file in messages.
Help_Read parse_help_file(std::string_view bytes, const std::string& path);
Readme_Read parse_readme_file(std::string_view bytes, const std::string& path);

}  // namespace quorin::help
