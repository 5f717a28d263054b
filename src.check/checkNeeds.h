// Which flows of a checked node cleaning keeps, found from what the checks
// saw: the flows that each equation and assertion reads and the equation
// that defines each flow. It answers, without cleaning the node, whether
// -cleanall would take an input away.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "checkScope.h"

class cleaning_needs {
 public:
  /// Where the reads of the equation or assertion that comes next go; the
  /// equations come first, in order, then the assertions.
  std::vector<declared_name*>& next_unit() {
    starts_.push_back(static_cast<std::uint32_t>(reads_.size()));
    return reads_;
  }

  /// Marks what cleaning keeps when it starts from `roots` (the outputs and
  /// the lefts of equations of several lefts) and the node has `equations`
  /// equations: a flow is kept with what its definition reads and its clock,
  /// an assertion when it reads a kept flow, then with all it reads.
  void mark(std::span<declared_name* const> roots, std::size_t equations,
            name_scope& flows);

 private:
  struct waiter {
    std::uint32_t assertion;
    std::int32_t next;
  };

  void keep(declared_name* flow);
  void keep_unit(std::uint32_t unit);
  std::span<declared_name* const> reads_of(std::uint32_t unit) const;

  std::vector<declared_name*> reads_;
  std::vector<std::uint32_t> starts_;
  std::vector<waiter> waiters_;
  std::vector<bool> kept_units_;
  std::vector<declared_name*> pending_;
  name_scope* flows_ = nullptr;
};
