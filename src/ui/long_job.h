#pragma once
// A print job so long that it is worth a question first: the user prints it all, only its first
// pages, or nothing.

#include "ui/platform.h"

namespace quorin::ui {

inline constexpr long Long_Job_Pages = 500;  // more pages than this ask first
inline constexpr long First_Pages = 20;      // the range offered instead of all

// Asks before a job of more than Long_Job_Pages pages and limits the job to the pages chosen;
// false when the user wants nothing printed. A shorter job goes ahead without a question.
bool agree_to_long_job(Platform& platform, long planned_pages, Job& job);

}  // namespace quorin::ui
