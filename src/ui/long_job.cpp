#include "ui/long_job.h"

namespace quorin::ui {

bool agree_to_long_job(Platform& platform, long planned_pages, Job& job) {
  if (planned_pages <= Long_Job_Pages) return true;
  const std::string pages = std::to_string(planned_pages);
  const int answer =
      platform.choose("印刷は全部で " + pages + " ページになります\n印刷するページを選んでください",
                      {"全 " + pages + " ページ", "1–" + std::to_string(First_Pages) + " ページ", "印刷しない"});
  if (answer == 1) {
    job.first_page = 1;
    job.last_page = First_Pages;
  }
  return answer == 0 || answer == 1;
}

}  // namespace quorin::ui
