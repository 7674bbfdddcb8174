#include "rewrite/offset_list.h"

#include "platform/errors.h"

namespace tolva {

void OffsetList::RequireRoom() const {
  if (Count() >= capacity_) throw Error("行を挿入できません");
}

void OffsetList::Add(const std::string& line) {
  RequireRoom();
  lines_.push_back(line);
}

void OffsetList::Insert(int index, const std::string& line) {
  RequireRoom();
  if (index < 0 || index > Count()) throw Error("行を挿入できません");
  lines_.insert(lines_.begin() + index, line);
}

}  // namespace tolva
