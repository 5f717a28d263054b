// Both analyses are depth-first searches on explicit stacks, since a chain of
// definitions or of calls may be as long as the input; expressions are walked
// on work lists for the same reason.
//
// The equations of a node are ordered on a graph of two kinds of vertex: an
// equation leads to each flow it reads, and a flow leads to each equation
// that defines it. A flow that many equations define and many read is then
// walked once, which keeps the search linear. An equation is placed when
// everything it leads to is placed; meeting a vertex that is still open on
// the stack closes a cycle.
#include "xzoDeps.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "flat_map.h"

namespace {

constexpr std::uint32_t none = static_cast<std::uint32_t>(-1);

// The variable a left defines, whole or in part.
const left& base_left(const left& item) {
  const left* at = &item;
  while (at->kind != left_id) at = at->inner;
  return *at;
}

// Adds the expression's operands, and the index an element access keeps
// beside them, to the work list, so that they are taken in written order.
void push_operands(const val_exp* e, std::vector<const val_exp*>& work) {
  if (e->kind() == nat_array_elem) work.push_back(e->index());
  std::span<const val_exp* const> operands = e->ops();
  for (std::size_t at = operands.size(); at > 0; --at) work.push_back(operands[at - 1]);
}

class equation_sorter {
 public:
  explicit equation_sorter(const node_def& node) : node_(node) {}

  equation_order run() {
    index_definitions();
    collect_reads();
    equation_state_.assign(node_.defs.size(), unvisited);
    flow_state_.assign(flow_defs_start_.size() - 1, unvisited);
    skipped_.assign(flow_state_.size(), none);
    result_.equations.reserve(node_.defs.size());
    for (std::uint32_t root = 0; root < node_.defs.size(); ++root) {
      if (equation_state_[root] != unvisited) continue;
      open_equation(root);
      if (!search()) {
        result_.equations.clear();
        break;
      }
    }
    return std::move(result_);
  }

 private:
  enum state : std::uint8_t { unvisited, open, placed };

  // One definition of a flow: the equation and the left naming the flow there.
  struct definition {
    std::uint32_t equation;
    const left* named;
    bool whole;
  };

  // A vertex on the search stack and how far its edges have been followed.
  struct frame {
    bool is_flow;
    std::uint32_t vertex;
    std::uint32_t next = 0;
  };

  // Numbers the flows that lefts define and lists each flow's definitions,
  // grouped by flow, in source order.
  void index_definitions() {
    std::size_t lefts = 0;
    for (const def& equation : node_.defs) lefts += equation.lefts.size();
    flows_.reserve(lefts);
    // The number of each left's flow, the lefts taken in order.
    std::vector<std::uint32_t> numbers;
    numbers.reserve(lefts);
    std::vector<std::uint32_t> counts;
    for (const def& equation : node_.defs)
      for (const left* item : equation.lefts) {
        std::string_view name = base_left(*item).name->text();
        auto [number, fresh] =
            flows_.try_emplace(name, static_cast<std::uint32_t>(counts.size()));
        if (fresh) {
          counts.push_back(0);
          partial_.push_back(false);
        }
        ++counts[*number];
        if (item->kind != left_id) partial_[*number] = true;
        numbers.push_back(*number);
      }
    flow_defs_start_.assign(counts.size() + 1, 0);
    for (std::size_t f = 0; f < counts.size(); ++f)
      flow_defs_start_[f + 1] = flow_defs_start_[f] + counts[f];
    flow_defs_.resize(lefts);
    // Each flow's next free definition, from the start of its group.
    std::vector<std::uint32_t>& filled = counts;
    std::copy(flow_defs_start_.begin(), flow_defs_start_.end() - 1, filled.begin());
    const std::uint32_t* number = numbers.data();
    for (std::uint32_t position = 0; position < node_.defs.size(); ++position)
      for (const left* item : node_.defs[position].lefts)
        flow_defs_[filled[*number++]++] = {position, &base_left(*item),
                                           item->kind == left_id};
  }

  // Lists, for each equation, the flows it reads instantaneously: those its
  // right side and the indices of its lefts name outside `pre`, and the
  // clocks of the flows it defines.
  void collect_reads() {
    flat_map<std::string_view, ident, short_text_hash> clocks;
    for (const flow& output : node_.outputs)
      if (output.clock != nullptr) clocks.try_emplace(output.name->text(), output.clock);
    for (const flow& local : node_.locals)
      if (local.clock != nullptr) clocks.try_emplace(local.name->text(), local.clock);
    reads_start_.reserve(node_.defs.size() + 1);
    reads_start_.push_back(0);
    for (const def& equation : node_.defs) {
      work_.assign(1, equation.exp);
      for (const left* item : equation.lefts) {
        for (const left* at = item; at->kind != left_id; at = at->inner) {
          if (at->kind == left_elem) work_.push_back(at->index);
          if (at->kind != left_slice) continue;
          work_.push_back(at->range->first);
          work_.push_back(at->range->last);
          if (at->range->step != nullptr) work_.push_back(at->range->step);
        }
        if (const ident* clock = clocks.find(base_left(*item).name->text()))
          add_read((*clock)->text());
      }
      while (!work_.empty()) {
        const val_exp* e = work_.back();
        work_.pop_back();
        if (e->kind() == nat_pre) continue;
        if (e->kind() == nat_ident) add_read(e->name()->text());
        push_operands(e, work_);
      }
      reads_start_.push_back(static_cast<std::uint32_t>(reads_.size()));
    }
  }

  void add_read(std::string_view name) {
    if (const std::uint32_t* number = flows_.find(name)) reads_.push_back(*number);
  }

  void open_equation(std::uint32_t position) {
    equation_state_[position] = open;
    stack_.push_back({false, position});
  }

  // Follows edges from the top of the stack until the stack is empty; false
  // when a cycle was met, which is then in the result.
  bool search() {
    while (!stack_.empty()) {
      frame& top = stack_.back();
      if (top.is_flow ? !step_flow(top) : !step_equation(top)) return false;
    }
    return true;
  }

  // Follows the equation's next read, or places the equation after all of
  // them.
  bool step_equation(frame& top) {
    std::uint32_t equation = top.vertex;
    std::uint32_t at = reads_start_[equation] + top.next;
    if (at == reads_start_[equation + 1]) {
      equation_state_[equation] = placed;
      result_.equations.push_back(equation);
      stack_.pop_back();
      return true;
    }
    ++top.next;
    std::uint32_t read = reads_[at];
    switch (flow_state_[read]) {
      case unvisited: {
        flow_state_[read] = open;
        if (defines_in_part(equation, read)) skipped_[read] = equation;
        stack_.push_back({true, read});
        return true;
      }
      case open: {
        // The flow's frame is on the stack, at the definition being followed.
        std::size_t start = stack_.size();
        while (!(stack_[start - 1].is_flow && stack_[start - 1].vertex == read)) --start;
        take_cycle(start - 1, nullptr);
        return false;
      }
      case placed: {
        // Placed but for the equation that reached it first and defines it
        // in part: that equation must be placed too.
        std::uint32_t skipped = skipped_[read];
        if (skipped == none || skipped == equation || equation_state_[skipped] != open)
          return true;
        std::size_t start = stack_.size();
        while (stack_[start - 1].is_flow || stack_[start - 1].vertex != skipped) --start;
        take_cycle(start, definition_in(skipped, read));
        return false;
      }
    }
    return true;
  }

  // Follows the flow's next definition, or closes the flow after all of them.
  bool step_flow(frame& top) {
    std::uint32_t flow_number = top.vertex;
    std::uint32_t at = flow_defs_start_[flow_number] + top.next;
    if (at == flow_defs_start_[flow_number + 1]) {
      flow_state_[flow_number] = placed;
      stack_.pop_back();
      return true;
    }
    ++top.next;
    std::uint32_t equation = flow_defs_[at].equation;
    if (equation == skipped_[flow_number]) return true;
    switch (equation_state_[equation]) {
      case unvisited: open_equation(equation); return true;
      case placed: return true;
      case open: {
        std::size_t start = stack_.size();
        while (stack_[start - 1].is_flow || stack_[start - 1].vertex != equation) --start;
        // The flow on top leads back to the equation: it comes first.
        const definition& closing = flow_defs_[at];
        stack_.pop_back();
        take_cycle(start, &closing);
        return false;
      }
    }
    return true;
  }

  // Whether the equation defines the flow in part, so that it does not wait
  // for itself through it.
  bool defines_in_part(std::uint32_t equation, std::uint32_t flow_number) const {
    for (std::uint32_t at = flow_defs_start_[flow_number];
         at < flow_defs_start_[flow_number + 1]; ++at)
      if (flow_defs_[at].equation == equation && !flow_defs_[at].whole) return true;
    return false;
  }

  const definition* definition_in(std::uint32_t equation,
                                  std::uint32_t flow_number) const {
    for (std::uint32_t at = flow_defs_start_[flow_number];
         at < flow_defs_start_[flow_number + 1]; ++at)
      if (flow_defs_[at].equation == equation) return &flow_defs_[at];
    return nullptr;
  }

  // Records the cycle made of the flows on the stack from `from` up, each at
  // the definition it follows; `closing`, when given, is the definition
  // that leads back to the frame at `from` and comes first.
  void take_cycle(std::size_t from, const definition* closing) {
    if (closing != nullptr) add_to_cycle(*closing);
    for (std::size_t at = from; at < stack_.size(); ++at) {
      const frame& entry = stack_[at];
      if (entry.is_flow)
        add_to_cycle(flow_defs_[flow_defs_start_[entry.vertex] + entry.next - 1]);
    }
    stack_.clear();
  }

  void add_to_cycle(const definition& step) {
    result_.cycle.push_back(step.named->name);
    std::uint32_t number = *flows_.find(step.named->name->text());
    result_.through_part = result_.through_part || partial_[number];
  }

  const node_def& node_;
  equation_order result_;
  // The flows that lefts define, numbered; their definitions, grouped by
  // flow, the group of flow f from flow_defs_start_[f]; whether any of them
  // defines the flow in part.
  flat_map<std::string_view, std::uint32_t, short_text_hash> flows_;
  std::vector<definition> flow_defs_;
  std::vector<std::uint32_t> flow_defs_start_;
  std::vector<bool> partial_;
  // The flows each equation reads, those of equation e from reads_start_[e].
  std::vector<std::uint32_t> reads_;
  std::vector<std::uint32_t> reads_start_;
  std::vector<state> equation_state_;
  std::vector<state> flow_state_;
  // For a flow, the equation that reached it first when that equation
  // defines it in part: the flow was placed without it.
  std::vector<std::uint32_t> skipped_;
  std::vector<frame> stack_;
  std::vector<const val_exp*> work_;
};

// The nodes of a package and the nodes each one calls.
class call_graph {
 public:
  explicit call_graph(const package& pack) {
    for (const def_item& item : pack.items) {
      if (item.kind != oper_item) continue;
      const oper* declared = pack.opers.find(item.name->text());
      if (declared->kind != node_oper) continue;
      if (numbers_.try_emplace(declared->node, static_cast<std::uint32_t>(nodes_.size()))
              .second)
        nodes_.push_back(declared->node);
    }
    calls_start_.push_back(0);
    for (const node_def* node : nodes_) {
      collect_calls(pack, *node);
      calls_start_.push_back(static_cast<std::uint32_t>(calls_.size()));
    }
  }

  std::vector<ident> find_cycle() {
    std::vector<state> states(nodes_.size(), unvisited);
    std::vector<frame> stack;
    for (std::uint32_t root = 0; root < nodes_.size(); ++root) {
      if (states[root] != unvisited) continue;
      states[root] = open;
      stack.push_back({root});
      while (!stack.empty()) {
        frame& top = stack.back();
        std::uint32_t at = calls_start_[top.node] + top.next;
        if (at == calls_start_[top.node + 1]) {
          states[top.node] = placed;
          stack.pop_back();
          continue;
        }
        ++top.next;
        std::uint32_t called = calls_[at];
        if (states[called] == unvisited) {
          states[called] = open;
          stack.push_back({called});
        } else if (states[called] == open) {
          std::size_t start = stack.size();
          while (stack[start - 1].node != called) --start;
          std::vector<ident> chain;
          for (std::size_t in = start - 1; in < stack.size(); ++in)
            chain.push_back(nodes_[stack[in].node]->name);
          return chain;
        }
      }
    }
    return {};
  }

 private:
  enum state : std::uint8_t { unvisited, open, placed };

  struct frame {
    std::uint32_t node;
    std::uint32_t next = 0;
  };

  void collect_calls(const package& pack, const node_def& node) {
    work_.assign(node.asserts.begin(), node.asserts.end());
    for (const def& equation : node.defs) {
      work_.push_back(equation.exp);
      for (const left* item : equation.lefts)
        for (const left* at = item; at->kind != left_id; at = at->inner) {
          if (at->kind == left_elem) work_.push_back(at->index);
          if (at->kind != left_slice) continue;
          work_.push_back(at->range->first);
          work_.push_back(at->range->last);
          if (at->range->step != nullptr) work_.push_back(at->range->step);
        }
    }
    while (!work_.empty()) {
      const val_exp* e = work_.back();
      work_.pop_back();
      if (e->kind() == nat_call) add_call(pack, e->name()->text());
      push_operands(e, work_);
    }
  }

  void add_call(const package& pack, std::string_view name) {
    const oper* called = pack.opers.find(name);
    if (called == nullptr || called->kind != node_oper) return;
    if (const std::uint32_t* number = numbers_.find(called->node))
      calls_.push_back(*number);
  }

  std::vector<const node_def*> nodes_;
  flat_map<const node_def*, std::uint32_t> numbers_;
  std::vector<std::uint32_t> calls_;
  std::vector<std::uint32_t> calls_start_;
  std::vector<const val_exp*> work_;
};

}  // namespace

equation_order order_equations(const node_def& node) {
  return equation_sorter(node).run();
}

std::vector<ident> find_recursion(const package& pack) {
  return call_graph(pack).find_cycle();
}
