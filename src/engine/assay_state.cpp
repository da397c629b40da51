#include "engine/assay_state.h"

#include <cstdlib>
#include <new>

#include "text/text_file.h"

namespace quorin {

void* Assay_State::operator new(std::size_t size) {
  constexpr std::size_t Huge_Page = std::size_t{2} << 20;
  const std::size_t rounded = (size + Huge_Page - 1) / Huge_Page * Huge_Page;
  void* memory = std::aligned_alloc(Huge_Page, rounded);
  if (memory == nullptr) throw std::bad_alloc();
  text::advise_huge_pages(memory, rounded);
  return memory;
}

void Assay_State::operator delete(void* memory) noexcept { std::free(memory); }

}  // namespace quorin
