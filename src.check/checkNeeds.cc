#include "checkNeeds.h"

void cleaning_needs::mark(std::span<declared_name* const> roots, std::size_t equations,
                          name_scope& flows) {
  flows_ = &flows;
  starts_.push_back(static_cast<std::uint32_t>(reads_.size()));
  auto units = static_cast<std::uint32_t>(starts_.size() - 1);
  kept_units_.assign(units, false);
  for (declared_name* root : roots) keep(root);
  // An assertion that reads no kept flow yet waits under each flow it reads.
  for (auto unit = static_cast<std::uint32_t>(equations); unit < units; ++unit) {
    bool reads_kept = false;
    for (declared_name* read : reads_of(unit)) reads_kept = reads_kept || read->needed;
    if (reads_kept) {
      keep_unit(unit);
      continue;
    }
    for (declared_name* read : reads_of(unit)) {
      waiters_.push_back({unit, read->first_waiter});
      read->first_waiter = static_cast<std::int32_t>(waiters_.size() - 1);
    }
  }
  while (!pending_.empty()) {
    declared_name* flow = pending_.back();
    pending_.pop_back();
    keep(flow);
  }
}

void cleaning_needs::keep(declared_name* flow) {
  if (flow == nullptr || flow->needed) return;
  flow->needed = true;
  for (std::int32_t w = flow->first_waiter; w >= 0; w = waiters_[w].next)
    keep_unit(waiters_[w].assertion);
  if (flow->defined_by >= 0) keep_unit(static_cast<std::uint32_t>(flow->defined_by));
  if (flow->on != nullptr) pending_.push_back(flows_->find(flow->on->text()));
}

void cleaning_needs::keep_unit(std::uint32_t unit) {
  if (kept_units_[unit]) return;
  kept_units_[unit] = true;
  for (declared_name* read : reads_of(unit))
    if (!read->needed) pending_.push_back(read);
}

std::span<declared_name* const> cleaning_needs::reads_of(std::uint32_t unit) const {
  return std::span(reads_).subspan(starts_[unit], starts_[unit + 1] - starts_[unit]);
}
