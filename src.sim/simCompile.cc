#include "simCompile.h"

#include <charconv>
#include <cstdlib>
#include <deque>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "errors.h"
#include "simEngine.h"
#include "stack_room.h"
#include "xzo.h"
#include "xzoDeps.h"
#include "xzoProperty.h"

namespace {

// The clock of a constant expression, which takes the clock of where it is
// used.
constexpr std::uint32_t any_clock = UINT32_MAX - 1;
// Beyond these, the instances of a program do not fit in memory.
constexpr std::size_t max_slots = std::size_t{1} << 26;

std::string quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

// A type flattened to its scalars: a scalar, or a structure whose fields
// follow one another.
struct shape {
  scalar_type scalar{scalar_kind::boolean};
  const struct_info* info = nullptr;
  std::vector<const shape*> fields;
  std::uint32_t width = 1;
};

shape scalar_shape(scalar_kind kind, const type_def* named = nullptr) {
  shape made;
  made.scalar = {kind, named};
  return made;
}

const shape bool_shape = scalar_shape(scalar_kind::boolean);
const shape int_shape = scalar_shape(scalar_kind::integer);
const shape real_shape = scalar_shape(scalar_kind::real);

// An expression compiled: its scalars' slots, one shape per component of a
// tuple, and its clock.
struct compiled {
  std::vector<std::uint32_t> slots;
  std::vector<const shape*> shapes;
  std::uint32_t clock = any_clock;
};

enum class flow_state : std::uint8_t { unseen, busy, done };

struct flow_entry {
  ident name = nullptr;
  const type_exp* type_written = nullptr;
  ident clock_name = nullptr;
  const shape* type = nullptr;
  flow_state state = flow_state::unseen;
  compiled value;
  bool is_input = false;
  // For an input computed from an assertion `x = e`: e.
  const val_exp* defining = nullptr;
  // The equations that define the flow, whole or in part.
  std::vector<std::uint32_t> defs;
};

// One instance of a node: its flows and the clock it runs on.
struct instance {
  instance(const node_def* called, std::uint32_t clock, const instance* by)
      : node(called), base(clock), caller(by) {}
  const node_def* node;
  std::uint32_t base;
  const instance* caller;
  std::unordered_map<std::string_view, std::size_t> index;
  std::vector<flow_entry> flows;
  std::vector<bool> def_started;
  // The flows whose equations are being compiled, in the order demanded.
  std::vector<std::pair<std::size_t, ident>> busy;
  // The operands of `pre` not compiled yet: read at the previous step, they
  // are compiled once the instance's flows are, which breaks the cycles
  // that `pre` breaks.
  struct delayed {
    const val_exp* operand;
    std::uint32_t context;
    std::uint32_t clock;
    std::vector<std::uint32_t> memories;
  };
  std::vector<delayed> delayed_operands;
  // What `shapes_of` and `clock_of` found, so that nested `pre`s do not walk
  // their operands again.
  std::unordered_map<const val_exp*, std::vector<const shape*>> shapes_found;
  std::unordered_map<const val_exp*, std::uint32_t> clocks_found;
};

ident base_name(const left& item) {
  const left* at = &item;
  while (at->kind != left_id) at = at->inner;
  return at->name;
}

// Whether the annotation's text is "MAIN", with blanks or a ";" after it.
bool is_main_annotation(std::string_view text) {
  std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos || text.substr(start, 4) != "MAIN") return false;
  for (char rest : text.substr(start + 4))
    if (rest != ' ' && rest != '\t' && rest != ';' && rest != '\r') return false;
  return true;
}

class compiler {
 public:
  compiler(const package& pack, const reading_places* places, const std::string& file,
           const sim_options& options, const package* fallback)
      : pack_(pack), places_(places), fallback_(fallback), options_(options) {
    program_.file = file;
    false_slot_ = constant_slot(int_value(0));
  }

  sim_program compile(const node_def& node);

 private:
  [[noreturn]] void fail(const text_span& place, std::string message) const {
    throw Sim_error{program_.file, place, std::move(message)};
  }
  text_span place_of(const val_exp* e) const {
    return places_ == nullptr ? text_span{} : span_of(*places_, e);
  }

  template <typename T>
  const T* find(const name_table<T> package::*table, std::string_view name) const {
    if (const T* found = (pack_.*table).find(name)) return found;
    return fallback_ == nullptr ? nullptr : (fallback_->*table).find(name);
  }

  // Slots and code.
  std::uint32_t new_slot(value initial) {
    if (program_.initial.size() >= max_slots)
      fail({}, "the program has too many node instances to simulate");
    program_.initial.push_back(initial);
    return static_cast<std::uint32_t>(program_.initial.size() - 1);
  }
  std::uint32_t constant_slot(value v) { return new_slot(v); }
  void emit(sim_op op, std::uint32_t clock, std::uint32_t dst, std::uint32_t a = 0,
            std::uint32_t b = 0, std::uint32_t c = 0) {
    // An operator of constants only gives the same value at every step: it
    // is computed once, before the first.
    bool once = in_constants_ || clock == any_clock;
    std::vector<sim_instr>& target = once ? program_.init : program_.code;
    if (target.size() >= max_slots)
      fail({}, "the program has too many node instances to simulate");
    target.push_back({op, once ? always : clock, dst, a, b, c});
  }
  std::uint32_t place_index(const val_exp* e) {
    program_.places.push_back(place_of(e));
    return static_cast<std::uint32_t>(program_.places.size() - 1);
  }
  static std::uint32_t resolved(std::uint32_t clock, std::uint32_t context) {
    return clock == any_clock ? context : clock;
  }

  // Types.
  const shape* shape_of(const type_exp& type, const text_span& where);
  const shape* shape_of_named(std::string_view name, const text_span& where);
  void add_columns(std::vector<sim_column>& columns, const std::string& prefix,
                   const shape* type, const compiled& value, std::size_t& at,
                   std::uint32_t clock, bool computed);

  // Expressions.
  compiled compile_exp(const val_exp* e, instance* in, std::uint32_t context);
  std::int64_t integer_literal(const val_exp* e) const;
  double real_literal(const val_exp* e) const;
  std::vector<const shape*> shapes_of(const val_exp* e, instance* in);
  std::uint32_t clock_of(const val_exp* e, instance* in, std::uint32_t context);
  std::vector<const shape*> found_shapes(const val_exp* e, instance* in);
  std::uint32_t found_clock(const val_exp* e, instance* in, std::uint32_t context);
  void compile_delayed(instance& in);
  compiled compile_name(const val_exp* e, instance* in, std::uint32_t context);
  compiled compile_constant(const const_def& declared, const val_exp* use);
  compiled compile_call(const val_exp* e, instance* in, std::uint32_t context);
  compiled compile_node_call(const val_exp* e, const node_def& callee, compiled arguments,
                             instance* in, std::uint32_t context);
  compiled compile_struct(const val_exp* e, instance* in, std::uint32_t context);
  compiled compile_field(const val_exp* e, instance* in, std::uint32_t context);
  compiled compile_equality(const val_exp* e, const compiled& a, const compiled& b,
                            std::uint32_t clock);
  compiled scalar_result(const shape* type, std::uint32_t clock) {
    return {{new_slot(nil_value())}, {type}, clock};
  }
  const shape* single(const compiled& value, const val_exp* e) {
    if (value.shapes.size() != 1)
      fail(place_of(e), "a tuple where one value is expected");
    return value.shapes[0];
  }
  scalar_kind scalar_of(const compiled& value, const val_exp* e) {
    const shape* type = single(value, e);
    if (type->info != nullptr)
      fail(place_of(e), "a structure where a scalar is expected");
    return type->scalar.kind;
  }

  // Flows and equations.
  void add_flow(instance& in, ident name, const type_exp* type, ident clock, bool input);
  const compiled& flow_value(instance& in, std::size_t at, const val_exp* use);
  void compile_def(instance& in, std::uint32_t position);
  std::uint32_t declared_clock(instance& in, const flow_entry& flow);
  std::uint32_t clock_slot(ident name, instance& in, const text_span& where);
  static ident defining_left(const instance& in, const flow_entry& flow);
  [[noreturn]] void report_cycle(const instance& in, std::size_t at);
  void fill_instance(instance& in);
  void compile_in_order(instance& in);

  const package& pack_;
  const reading_places* places_;
  const package* fallback_;
  const sim_options& options_;
  sim_program program_;
  std::uint32_t false_slot_ = 0;
  bool in_constants_ = false;
  std::deque<shape> shapes_;
  std::unordered_map<std::string_view, const shape*> named_shapes_;
  std::unordered_set<std::string_view> resolving_;
  std::unordered_map<std::string_view, compiled> constants_;
  std::unordered_set<std::string_view> constants_busy_;
  std::unordered_map<std::string_view, std::pair<const type_def*, std::int64_t>>
      enum_constants_;
  // The flag that is true at the first step of a clock, by clock.
  std::unordered_map<std::uint32_t, std::uint32_t> first_step_flags_;
  // The dependency order of each node's equations, computed once a node.
  std::unordered_map<const node_def*, equation_order> orders_;
  // The nodes whose instances are being compiled, one inside the other.
  std::unordered_set<std::string_view> active_nodes_;
  // The clock of each slot that is the clock of other flows.
  std::unordered_map<std::uint32_t, std::uint32_t> parent_clock_;
};

const shape* compiler::shape_of_named(std::string_view name, const text_span& where) {
  if (auto found = named_shapes_.find(name); found != named_shapes_.end())
    return found->second;
  const type_def* declared = find(&package::types, name);
  if (declared == nullptr) fail(where, "undeclared type " + quoted(name));
  if (!resolving_.insert(name).second) fail(where, "recursive type " + quoted(name));
  const shape* result = nullptr;
  switch (declared->kind) {
    case extern_type:
      result = &shapes_.emplace_back(scalar_shape(scalar_kind::external, declared));
      break;
    case enum_type:
      result = &shapes_.emplace_back(scalar_shape(scalar_kind::enumeration, declared));
      break;
    case aliased_type: result = shape_of(*declared->definition, where); break;
    case struct_type: {
      shape made;
      made.info = declared->info;
      made.width = 0;
      for (ident field : declared->info->field_names) {
        const field_info* info = declared->info->fields.find(field->text());
        const shape* field_shape = shape_of(*info->type, where);
        made.fields.push_back(field_shape);
        made.width += field_shape->width;
      }
      result = &shapes_.emplace_back(std::move(made));
      break;
    }
  }
  resolving_.erase(name);
  named_shapes_.emplace(name, result);
  return result;
}

const shape* compiler::shape_of(const type_exp& type, const text_span& where) {
  switch (type.kind) {
    case bool_type: return &bool_shape;
    case int_type: return &int_shape;
    case real_type: return &real_shape;
    case named_type: return shape_of_named(type.name->text(), where);
    // The tree's model has array and tuple types, but no text the reader
    // accepts gives one to a flow or a constant.
    case array_type:
    case tuple_type: break;
  }
  fail(where, "arrays and tuple types are not simulated");
}

// ---------------------------------------------------------------------------
// Flows and equations

void compiler::add_flow(instance& in, ident name, const type_exp* type, ident clock,
                        bool input) {
  flow_entry entry;
  entry.name = name;
  entry.type_written = type;
  entry.clock_name = clock;
  entry.type = shape_of(*type, span_of_text(name));
  entry.is_input = input;
  in.index.emplace(name->text(), in.flows.size());
  in.flows.push_back(std::move(entry));
}

std::uint32_t compiler::clock_slot(ident name, instance& in, const text_span& where) {
  auto found = in.index.find(name->text());
  if (found == in.index.end()) fail(where, "unknown clock " + quoted(name->text()));
  const compiled& clock = flow_value(in, found->second, nullptr);
  if (clock.slots.size() != 1) fail(where, "a clock must be a Boolean flow");
  parent_clock_.emplace(clock.slots[0], resolved(clock.clock, in.base));
  return clock.slots[0];
}

std::uint32_t compiler::declared_clock(instance& in, const flow_entry& flow) {
  if (flow.clock_name == nullptr) return in.base;
  return clock_slot(flow.clock_name, in, span_of_text(flow.clock_name));
}

// The flow's name where its first equation defines it, for the messages
// that name the equation; its declaration when it has none.
ident compiler::defining_left(const instance& in, const flow_entry& flow) {
  if (flow.defs.empty()) return flow.name;
  for (const left* item : in.node->defs[flow.defs[0]].lefts)
    if (base_name(*item)->text() == flow.name->text()) return base_name(*item);
  return flow.name;
}

void compiler::report_cycle(const instance& in, std::size_t at) {
  std::size_t from = in.busy.size();
  while (from > 0 && in.busy[from - 1].first != at) --from;
  if (from > 0) --from;
  std::string path;
  for (std::size_t position = from; position < in.busy.size(); ++position) {
    ident name = in.busy[position].second;
    path += std::string(name->text()) + " (line " +
            std::to_string(span_of_text(name).line) + ") -> ";
  }
  path += in.flows[at].name->text();
  fail(from < in.busy.size() ? span_of_text(in.busy[from].second)
                             : span_of_text(in.flows[at].name),
       "instantaneous cycle: " + path);
}

const compiled& compiler::flow_value(instance& in, std::size_t at, const val_exp* use) {
  flow_entry& flow = in.flows[at];
  if (flow.state == flow_state::done) return flow.value;
  if (flow.state == flow_state::busy) report_cycle(in, at);
  (void)use;
  stack_room::check();
  flow.state = flow_state::busy;
  std::size_t busy_before = in.busy.size();
  in.busy.emplace_back(at, defining_left(in, flow));
  if (flow.defining != nullptr) {
    std::uint32_t clock = declared_clock(in, in.flows[at]);
    compiled value = compile_exp(flow.defining, &in, clock);
    value.clock = resolved(value.clock, clock);
    in.flows[at].value = std::move(value);
  } else {
    std::vector<std::uint32_t> defs = flow.defs;
    for (std::uint32_t position : defs)
      if (!in.def_started[position]) compile_def(in, position);
    flow_entry& defined = in.flows[at];
    if (defined.value.slots.empty()) {
      // A flow without equation is never defined.
      std::uint32_t clock = declared_clock(in, defined);
      for (std::uint32_t scalar = 0; scalar < defined.type->width; ++scalar)
        defined.value.slots.push_back(new_slot(nil_value()));
      defined.value.shapes = {defined.type};
      defined.value.clock = clock;
    }
  }
  in.busy.resize(busy_before);
  in.flows[at].state = flow_state::done;
  return in.flows[at].value;
}

void compiler::compile_def(instance& in, std::uint32_t position) {
  in.def_started[position] = true;
  const def& equation = in.node->defs[position];
  // The lefts named whole are busy until the equation is compiled, so that a
  // right side that reads one of them is a cycle.
  std::vector<std::size_t> lefts;
  std::size_t busy_before = in.busy.size();
  for (const left* item : equation.lefts) {
    std::size_t at = in.index.at(base_name(*item)->text());
    lefts.push_back(at);
    if (item->kind == left_id && in.flows[at].state == flow_state::unseen) {
      in.flows[at].state = flow_state::busy;
      in.busy.emplace_back(at, item->name);
    }
  }
  std::uint32_t context = declared_clock(in, in.flows[lefts[0]]);
  compiled right = compile_exp(equation.exp, &in, context);
  std::size_t offset = 0;
  std::size_t component = 0;
  for (std::size_t item = 0; item < lefts.size(); ++item) {
    const left& target = *equation.lefts[item];
    flow_entry& flow = in.flows[lefts[item]];
    std::uint32_t flow_clock = declared_clock(in, flow);
    flow_entry& defined = in.flows[lefts[item]];
    // The shape of the part the left defines, and where it starts in its flow.
    const shape* part = defined.type;
    std::size_t start = 0;
    std::vector<const left*> path;
    for (const left* at = &target; at->kind != left_id; at = at->inner)
      path.push_back(at);
    for (auto step = path.rbegin(); step != path.rend(); ++step) {
      const left& inner = **step;
      // No type is an array, so an element or a slice of a flow is an error
      // of the program; a file of nodes only, run against another, reaches
      // here unchecked.
      if (inner.kind != left_field)
        fail(span_of_text(base_name(target)), "an element of " +
                                                  quoted(base_name(target)->text()) +
                                                  ", which is not an array, is defined");
      if (part->info == nullptr)
        fail(span_of_text(inner.name), "no field " + quoted(inner.name->text()));
      std::size_t field = 0;
      while (field < part->fields.size() &&
             part->info->field_names[field]->text() != inner.name->text()) {
        start += part->fields[field]->width;
        ++field;
      }
      if (field == part->fields.size())
        fail(span_of_text(inner.name), "no field " + quoted(inner.name->text()));
      part = part->fields[field];
    }
    if (component >= right.shapes.size() || offset + part->width > right.slots.size())
      fail(place_of(equation.exp), "the equation's sides do not match");
    ++component;
    std::span<const std::uint32_t> given(right.slots.data() + offset, part->width);
    offset += part->width;
    // A right side on the flow's clock gives the flow its slots; a constant
    // gives them only to a flow on the base clock, where it is always present.
    bool same_clock =
        right.clock == flow_clock || (right.clock == any_clock && flow_clock == always);
    if (target.kind == left_id && same_clock) {
      defined.value = {{given.begin(), given.end()}, {part}, flow_clock};
    } else {
      if (defined.value.slots.empty()) {
        for (std::uint32_t scalar = 0; scalar < defined.type->width; ++scalar)
          defined.value.slots.push_back(new_slot(nil_value()));
        defined.value.shapes = {defined.type};
        defined.value.clock = flow_clock;
      }
      for (std::size_t scalar = 0; scalar < given.size(); ++scalar)
        emit(sim_op::copy, flow_clock, defined.value.slots[start + scalar],
             given[scalar]);
    }
    if (target.kind == left_id) defined.state = flow_state::done;
  }
  in.busy.resize(busy_before);
  if (offset != right.slots.size())
    fail(place_of(equation.exp), "the equation's sides do not match");
}

// ---------------------------------------------------------------------------
// Expressions

compiled compiler::compile_constant(const const_def& declared, const val_exp* use) {
  std::string_view name = declared.name->text();
  if (auto found = constants_.find(name); found != constants_.end()) return found->second;
  if (!constants_busy_.insert(name).second)
    fail(span_of_text(declared.name),
         "constant " + quoted(name) + " is defined by itself");
  compiled result;
  const shape* type = declared.type == nullptr
                          ? nullptr
                          : shape_of(*declared.type, span_of_text(declared.name));
  const std::string* given = nullptr;
  for (const auto& [option, text] : options_.constants)
    if (option == name) given = &text;
  if (given != nullptr) {
    if (type == nullptr && declared.value != nullptr) {
      bool outside = in_constants_;
      in_constants_ = true;
      type = single(compile_exp(declared.value, nullptr, any_clock), declared.value);
      in_constants_ = outside;
    }
    if (type == nullptr || type->info != nullptr)
      fail({}, "--const " + std::string(name) + ": only a scalar constant can be given");
    std::optional<value> parsed = parse_value(type->scalar, *given);
    if (!parsed)
      fail({}, "--const " + std::string(name) + "=" + *given + ": not a value of type " +
                   type_name(type->scalar));
    result = {{constant_slot(*parsed)}, {type}, any_clock};
  } else if (declared.kind == extern_const) {
    if (!options_.uninterpreted)
      fail(use == nullptr ? span_of_text(declared.name) : place_of(use),
           "the external constant " + quoted(name) +
               " has no value: give one with --const " + std::string(name) +
               "=VALUE, or use --uninterpreted");
    result.shapes = {type};
    std::size_t position = 0;
    std::vector<sim_column> leaves;
    std::size_t at = 0;
    compiled placeholder;
    for (std::uint32_t scalar = 0; scalar < type->width; ++scalar)
      placeholder.slots.push_back(0);
    add_columns(leaves, std::string(name), type, placeholder, at, always, false);
    for (const sim_column& leaf : leaves)
      result.slots.push_back(
          constant_slot(uninterpreted_value(leaf.name, position++, leaf.type, {})));
    result.clock = any_clock;
  } else {
    bool outside = in_constants_;
    in_constants_ = true;
    result = compile_exp(declared.value, nullptr, any_clock);
    in_constants_ = outside;
    result.clock = any_clock;
  }
  constants_busy_.erase(name);
  constants_.emplace(name, result);
  return result;
}

compiled compiler::compile_name(const val_exp* e, instance* in, std::uint32_t context) {
  std::string_view name = e->name()->text();
  (void)context;
  if (in != nullptr) {
    if (auto found = in->index.find(name); found != in->index.end()) {
      compiled value = flow_value(*in, found->second, e);
      return value;
    }
  }
  if (const const_def* declared = find(&package::consts, name))
    return compile_constant(*declared, e);
  if (enum_constants_.empty()) {
    for (const package* source : {&pack_, fallback_}) {
      if (source == nullptr) continue;
      for (const auto& entry : source->types) {
        if (entry.value->kind != enum_type) continue;
        for (std::size_t at = 0; at < entry.value->constants.size(); ++at)
          enum_constants_.try_emplace(entry.value->constants[at]->text(), entry.value,
                                      static_cast<std::int64_t>(at));
      }
    }
  }
  if (auto found = enum_constants_.find(name); found != enum_constants_.end()) {
    const shape* type = shape_of_named(found->second.first->name->text(), place_of(e));
    return {{constant_slot(int_value(found->second.second))}, {type}, any_clock};
  }
  fail(place_of(e), "unknown name " + quoted(name));
}

compiled compiler::compile_field(const val_exp* e, instance* in, std::uint32_t context) {
  compiled structure = compile_exp(e->op(0), in, context);
  const shape* type = single(structure, e);
  if (type->info == nullptr) fail(place_of(e), "a field of a value that is no structure");
  std::size_t start = 0;
  for (std::size_t field = 0; field < type->fields.size(); ++field) {
    if (type->info->field_names[field]->text() == e->name()->text()) {
      const shape* part = type->fields[field];
      return {
          {structure.slots.begin() + static_cast<std::ptrdiff_t>(start),
           structure.slots.begin() + static_cast<std::ptrdiff_t>(start + part->width)},
          {part},
          structure.clock};
    }
    start += type->fields[field]->width;
  }
  fail(place_of(e), "no field " + quoted(e->name()->text()));
}

compiled compiler::compile_struct(const val_exp* e, instance* in, std::uint32_t context) {
  const struct_cons& cons = e->cons();
  const shape* type = shape_of_named(cons.type_name->text(), place_of(e));
  if (type->info == nullptr)
    fail(place_of(e), quoted(cons.type_name->text()) + " is not a structure type");
  std::vector<compiled> written;
  std::uint32_t clock = any_clock;
  for (const val_exp* operand : e->ops()) {
    written.push_back(compile_exp(operand, in, context));
    if (clock == any_clock) clock = written.back().clock;
  }
  compiled result{{}, {type}, clock};
  for (std::size_t field = 0; field < type->fields.size(); ++field) {
    std::string_view name = type->info->field_names[field]->text();
    std::size_t position = 0;
    while (position < cons.field_names.size() &&
           cons.field_names[position]->text() != name)
      ++position;
    compiled part;
    if (position < cons.field_names.size()) {
      part = written[position];
    } else if (const val_exp* fallback = type->info->fields.find(name)->default_value) {
      part = compile_exp(fallback, in, context);
    } else {
      for (std::uint32_t scalar = 0; scalar < type->fields[field]->width; ++scalar)
        part.slots.push_back(new_slot(nil_value()));
    }
    if (part.slots.size() != type->fields[field]->width)
      fail(place_of(e), "field " + quoted(name) + " has a value of another type");
    result.slots.insert(result.slots.end(), part.slots.begin(), part.slots.end());
  }
  return result;
}

compiled compiler::compile_equality(const val_exp* e, const compiled& a,
                                    const compiled& b, std::uint32_t clock) {
  if (a.slots.size() != b.slots.size()) fail(place_of(e), "operands of different types");
  bool equal = e->kind() == nat_eq;
  // The scalar types of the operand's slots, in order.
  std::vector<scalar_kind> kinds;
  std::vector<const shape*> pending(a.shapes.rbegin(), a.shapes.rend());
  while (!pending.empty()) {
    const shape* type = pending.back();
    pending.pop_back();
    if (type->info == nullptr)
      kinds.push_back(type->scalar.kind);
    else
      pending.insert(pending.end(), type->fields.rbegin(), type->fields.rend());
  }
  compiled result = scalar_result(&bool_shape, clock);
  for (std::size_t at = 0; at < a.slots.size(); ++at) {
    bool real = kinds[at] == scalar_kind::real;
    sim_op op = equal ? (real ? sim_op::eq_real : sim_op::eq_int)
                      : (real ? sim_op::neq_real : sim_op::neq_int);
    std::uint32_t target = at == 0 ? result.slots[0] : new_slot(nil_value());
    emit(op, clock, target, a.slots[at], b.slots[at]);
    if (at > 0)
      emit(equal ? sim_op::and_op : sim_op::or_op, clock, result.slots[0],
           result.slots[0], target);
  }
  return result;
}

compiled compiler::compile_call(const val_exp* e, instance* in, std::uint32_t context) {
  std::string_view name = e->name()->text();
  const oper* called = find(&package::opers, name);
  if (called == nullptr) fail(place_of(e), "undeclared operator " + quoted(name));
  if (in == nullptr) fail(place_of(e), "a constant cannot call " + quoted(name));
  compiled arguments;
  arguments.clock = any_clock;
  for (const val_exp* operand : e->ops()) {
    compiled argument = compile_exp(operand, in, context);
    if (arguments.clock == any_clock) arguments.clock = argument.clock;
    arguments.slots.insert(arguments.slots.end(), argument.slots.begin(),
                           argument.slots.end());
    arguments.shapes.insert(arguments.shapes.end(), argument.shapes.begin(),
                            argument.shapes.end());
  }
  if (called->kind == node_oper)
    return compile_node_call(e, *called->node, std::move(arguments), in, context);
  const func_def& function = *called->func;
  if (!options_.uninterpreted)
    fail(place_of(e),
         "function " + quoted(name) +
             " has no body to compute: use --uninterpreted to give it values");
  std::uint32_t clock = resolved(arguments.clock, context);
  sim_func_call call{
      std::string(name), function_name_hash(name), arguments.slots, {}, {}};
  compiled result{{}, {}, clock};
  for (const typed_ident& output : function.outputs) {
    const shape* type = shape_of(*output.type, place_of(e));
    result.shapes.push_back(type);
    std::vector<sim_column> leaves;
    std::size_t at = 0;
    compiled placeholder;
    placeholder.slots.assign(type->width, 0);
    add_columns(leaves, "", type, placeholder, at, always, false);
    for (const sim_column& leaf : leaves) {
      std::uint32_t slot = new_slot(nil_value());
      result.slots.push_back(slot);
      call.results.push_back(slot);
      call.result_types.push_back(leaf.type);
    }
  }
  if (call.results.empty()) return result;
  program_.funcs.push_back(std::move(call));
  emit(sim_op::call_func, clock, result.slots[0],
       static_cast<std::uint32_t>(program_.funcs.size() - 1));
  return result;
}

compiled compiler::compile_node_call(const val_exp* e, const node_def& callee,
                                     compiled arguments, instance* in,
                                     std::uint32_t context) {
  if (active_nodes_.contains(callee.name->text())) {
    std::string chain;
    for (const instance* caller = in; caller != nullptr; caller = caller->caller) {
      chain = std::string(caller->node->name->text()) + " -> " + chain;
      if (caller->node->name->text() == callee.name->text()) break;
    }
    fail(place_of(e), "node " + quoted(callee.name->text()) + " calls itself: " + chain +
                          std::string(callee.name->text()));
  }
  stack_room::check();
  instance called(&callee, resolved(arguments.clock, context), in);
  std::size_t offset = 0;
  for (const input_flow& input : callee.inputs) {
    add_flow(called, input.var.name, input.var.type, input.var.clock, true);
    flow_entry& flow = called.flows.back();
    if (offset + flow.type->width > arguments.slots.size())
      fail(place_of(e), "too few arguments for " + quoted(callee.name->text()));
    flow.value = {{arguments.slots.begin() + static_cast<std::ptrdiff_t>(offset),
                   arguments.slots.begin() +
                       static_cast<std::ptrdiff_t>(offset + flow.type->width)},
                  {flow.type},
                  called.base};
    flow.state = flow_state::done;
    offset += flow.type->width;
  }
  if (offset != arguments.slots.size())
    fail(place_of(e), "too many arguments for " + quoted(callee.name->text()));
  active_nodes_.insert(callee.name->text());
  fill_instance(called);
  compile_in_order(called);
  compiled result{{}, {}, called.base};
  for (const flow& output : callee.outputs) {
    const compiled& value =
        flow_value(called, called.index.at(output.name->text()), nullptr);
    result.slots.insert(result.slots.end(), value.slots.begin(), value.slots.end());
    result.shapes.push_back(called.flows[called.index.at(output.name->text())].type);
  }
  compile_delayed(called);
  active_nodes_.erase(callee.name->text());
  return result;
}

// The outputs and locals of an instance and their equations; its inputs are
// there already.
void compiler::fill_instance(instance& in) {
  const node_def& node = *in.node;
  for (const flow& output : node.outputs)
    add_flow(in, output.name, output.type, output.clock, false);
  for (const flow& local : node.locals)
    add_flow(in, local.name, local.type, local.clock, false);
  in.def_started.assign(node.defs.size(), false);
  for (std::uint32_t position = 0; position < node.defs.size(); ++position)
    for (const left* item : node.defs[position].lefts) {
      auto found = in.index.find(base_name(*item)->text());
      if (found == in.index.end())
        fail(span_of_text(base_name(*item)),
             "undeclared flow " + quoted(base_name(*item)->text()));
      std::vector<std::uint32_t>& defs = in.flows[found->second].defs;
      if (defs.empty() || defs.back() != position) defs.push_back(position);
    }
}

// Every equation of the instance in dependency order, so that what each one
// reads is compiled before it, then every flow, those without equation
// included. A cycle is reported with its flows in order.
void compiler::compile_in_order(instance& in) {
  auto [found, added] = orders_.try_emplace(in.node);
  if (added) found->second = order_equations(*in.node);
  const equation_order& order = found->second;
  if (!order.cycle.empty()) {
    std::string path;
    for (ident name : order.cycle)
      path += std::string(name->text()) + " (line " +
              std::to_string(span_of_text(name).line) + ") -> ";
    fail(span_of_text(order.cycle[0]),
         "instantaneous cycle: " + path + std::string(order.cycle[0]->text()));
  }
  for (std::uint32_t position : order.equations)
    if (!in.def_started[position]) compile_def(in, position);
  for (std::size_t at = 0; at < in.flows.size(); ++at) flow_value(in, at, nullptr);
}

compiled compiler::compile_exp(const val_exp* e, instance* in, std::uint32_t context) {
  stack_room::check();
  switch (e->kind()) {
    case nat_true: return {{constant_slot(int_value(1))}, {&bool_shape}, any_clock};
    case nat_false: return {{constant_slot(int_value(0))}, {&bool_shape}, any_clock};
    case nat_iconst:
      return {{constant_slot(int_value(integer_literal(e)))}, {&int_shape}, any_clock};
    case nat_rconst:
      return {{constant_slot(real_value(real_literal(e)))}, {&real_shape}, any_clock};
    case nat_ival:
      return {{constant_slot(int_value(e->ival()))}, {&int_shape}, any_clock};
    case nat_rval:
      return {{constant_slot(real_value(e->rval()))}, {&real_shape}, any_clock};
    case nat_ident: return compile_name(e, in, context);
    case nat_call: return compile_call(e, in, context);
    case nat_field: return compile_field(e, in, context);
    case nat_struct: return compile_struct(e, in, context);
    case nat_tuple_elem: {
      compiled tuple = compile_exp(e->op(0), in, context);
      std::size_t start = 0;
      auto position = static_cast<std::size_t>(e->position());
      if (position >= tuple.shapes.size()) fail(place_of(e), "no such tuple component");
      for (std::size_t at = 0; at < position; ++at) start += tuple.shapes[at]->width;
      const shape* part = tuple.shapes[position];
      return {{tuple.slots.begin() + static_cast<std::ptrdiff_t>(start),
               tuple.slots.begin() + static_cast<std::ptrdiff_t>(start + part->width)},
              {part},
              tuple.clock};
    }
    case nat_tuple: {
      compiled result;
      for (const val_exp* operand : e->ops()) {
        compiled part = compile_exp(operand, in, context);
        if (result.clock == any_clock) result.clock = part.clock;
        result.slots.insert(result.slots.end(), part.slots.begin(), part.slots.end());
        result.shapes.insert(result.shapes.end(), part.shapes.begin(), part.shapes.end());
      }
      return result;
    }
    // The tree's model has array expressions, but no text the reader accepts
    // makes one.
    case nat_hat:
    case nat_array:
    case nat_array_elem: fail(place_of(e), "arrays are not simulated");
    default: break;
  }
  if (in == nullptr && (e->kind() == nat_pre || e->kind() == nat_arrow ||
                        e->kind() == nat_when || e->kind() == nat_current))
    fail(place_of(e), "a constant cannot hold a temporal operator");
  if (e->kind() == nat_pre) {
    std::uint32_t on = resolved(clock_of(e->op(0), in, context), context);
    compiled result{{}, shapes_of(e->op(0), in), on};
    instance::delayed operand{e->op(0), context, on, {}};
    // The memory changes at the end of the step: the value read here is
    // copied where the step's readers, and the trace, find it.
    for (const shape* part : result.shapes)
      for (std::uint32_t scalar = 0; scalar < part->width; ++scalar) {
        std::uint32_t memory = new_slot(nil_value());
        std::uint32_t slot = new_slot(nil_value());
        emit(sim_op::copy, on, slot, memory);
        operand.memories.push_back(memory);
        result.slots.push_back(slot);
      }
    in->delayed_operands.push_back(std::move(operand));
    return result;
  }
  std::vector<compiled> operands;
  operands.reserve(e->ops().size());
  std::uint32_t clock = any_clock;
  for (const val_exp* operand : e->ops()) {
    operands.push_back(compile_exp(operand, in, context));
    if (clock == any_clock) clock = operands.back().clock;
  }
  switch (e->kind()) {
    case nat_arrow: {
      compiled &a = operands[0], &b = operands[1];
      if (a.slots.size() != b.slots.size())
        fail(place_of(e), "operands of different types");
      std::uint32_t on = resolved(clock, context);
      // Every arrow on one clock shares the flag of that clock's first step.
      auto [flag, added] = first_step_flags_.try_emplace(on, 0);
      if (added) {
        flag->second = new_slot(int_value(1));
        program_.updates.push_back({on, flag->second, false_slot_});
      }
      std::uint32_t first = flag->second;
      compiled result{{}, a.shapes, on};
      for (std::size_t at = 0; at < a.slots.size(); ++at) {
        std::uint32_t slot = new_slot(nil_value());
        emit(sim_op::arrow, on, slot, a.slots[at], b.slots[at], first);
        result.slots.push_back(slot);
      }
      return result;
    }
    case nat_when: {
      if (e->op(1)->kind() != nat_ident)
        fail(place_of(e), "the clock of 'when' must be a flow");
      std::uint32_t on = clock_slot(e->op(1)->name(), *in, place_of(e->op(1)));
      compiled result{{}, operands[0].shapes, on};
      for (std::uint32_t source : operands[0].slots) {
        std::uint32_t slot = new_slot(nil_value());
        emit(sim_op::copy, on, slot, source);
        result.slots.push_back(slot);
      }
      return result;
    }
    case nat_current: {
      compiled& a = operands[0];
      if (a.clock == any_clock || a.clock == always || a.clock == in->base) return a;
      auto parent = parent_clock_.find(a.clock);
      std::uint32_t on = parent == parent_clock_.end() ? in->base : parent->second;
      compiled result{{}, a.shapes, on};
      for (std::uint32_t source : a.slots) {
        std::uint32_t memory = new_slot(nil_value());
        std::uint32_t slot = new_slot(nil_value());
        emit(sim_op::current, on, slot, source, memory);
        result.slots.push_back(slot);
      }
      return result;
    }
    case nat_if: {
      scalar_of(operands[0], e);
      compiled &a = operands[1], &b = operands[2];
      if (a.slots.size() != b.slots.size())
        fail(place_of(e), "branches of different types");
      compiled result{{}, a.shapes, clock};
      for (std::size_t at = 0; at < a.slots.size(); ++at) {
        std::uint32_t slot = new_slot(nil_value());
        emit(sim_op::if_op, clock, slot, operands[0].slots[0], a.slots[at], b.slots[at]);
        result.slots.push_back(slot);
      }
      return result;
    }
    case nat_diese:
    case nat_nor: {
      auto first = static_cast<std::uint32_t>(program_.lists.size());
      for (const compiled& operand : operands)
        program_.lists.insert(program_.lists.end(), operand.slots.begin(),
                              operand.slots.end());
      auto count = static_cast<std::uint32_t>(program_.lists.size() - first);
      compiled result = scalar_result(&bool_shape, clock);
      emit(e->kind() == nat_diese ? sim_op::at_most_one : sim_op::none_of, clock,
           result.slots[0], first, count);
      return result;
    }
    case nat_eq:
    case nat_neq: return compile_equality(e, operands[0], operands[1], clock);
    default: break;
  }
  // The scalar operators: one instruction, chosen by the operands' type.
  scalar_kind kind = scalar_of(operands[0], e);
  bool real = kind == scalar_kind::real;
  sim_op op = sim_op::copy;
  const shape* type = real ? &real_shape : &int_shape;
  switch (e->kind()) {
    case nat_not: op = sim_op::not_op, type = &bool_shape; break;
    case nat_uminus: op = real ? sim_op::neg_real : sim_op::neg_int; break;
    case nat_real_conv: op = sim_op::to_real, type = &real_shape; break;
    case nat_int_conv: op = sim_op::to_int, type = &int_shape; break;
    case nat_and: op = sim_op::and_op, type = &bool_shape; break;
    case nat_or: op = sim_op::or_op, type = &bool_shape; break;
    case nat_xor: op = sim_op::xor_op, type = &bool_shape; break;
    case nat_impl: op = sim_op::impl_op, type = &bool_shape; break;
    case nat_lt: op = real ? sim_op::lt_real : sim_op::lt_int, type = &bool_shape; break;
    case nat_lte:
      op = real ? sim_op::lte_real : sim_op::lte_int, type = &bool_shape;
      break;
    case nat_gt: op = real ? sim_op::gt_real : sim_op::gt_int, type = &bool_shape; break;
    case nat_gte:
      op = real ? sim_op::gte_real : sim_op::gte_int, type = &bool_shape;
      break;
    case nat_plus: op = real ? sim_op::add_real : sim_op::add_int; break;
    case nat_minus: op = real ? sim_op::sub_real : sim_op::sub_int; break;
    case nat_times: op = real ? sim_op::mul_real : sim_op::mul_int; break;
    case nat_slash: op = real ? sim_op::div_real : sim_op::div_int; break;
    case nat_div: op = sim_op::div_int; break;
    case nat_mod: op = sim_op::mod_int; break;
    default: fail(place_of(e), "an operator the simulator does not run");
  }
  compiled result = scalar_result(type, clock);
  std::uint32_t b = operands.size() > 1 ? operands[1].slots.at(0) : 0;
  if (operands.size() > 1) scalar_of(operands[1], e);
  std::uint32_t place =
      op == sim_op::div_int || op == sim_op::mod_int || op == sim_op::to_int
          ? place_index(e)
          : 0;
  emit(op, clock, result.slots[0], operands[0].slots[0], b, place);
  return result;
}

// A literal's value as the text reads, whatever its number of digits.
std::int64_t compiler::integer_literal(const val_exp* e) const {
  std::string_view text = e->name()->text();
  std::int64_t n = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error == std::errc() && end == text.data() + text.size()) return n;
  try {
    return int_of_zoint(text);
  } catch (const Global_error& failure) {
    fail(place_of(e), failure.message);
  }
}

double compiler::real_literal(const val_exp* e) const {
  std::string_view text = e->name()->text();
  double x = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), x);
  if (error == std::errc() && end == text.data() + text.size()) return x;
  std::string copy(text);
  char* stop = nullptr;
  x = std::strtod(copy.c_str(), &stop);
  if (stop == copy.c_str() + copy.size() && !copy.empty()) return x;
  fail(place_of(e), "the real literal '" + copy + "' does not read as a number");
}

std::vector<const shape*> compiler::shapes_of(const val_exp* e, instance* in) {
  stack_room::check();
  if (in != nullptr)
    if (auto found = in->shapes_found.find(e); found != in->shapes_found.end())
      return found->second;
  std::vector<const shape*> shapes = found_shapes(e, in);
  if (in != nullptr) in->shapes_found.emplace(e, shapes);
  return shapes;
}

std::vector<const shape*> compiler::found_shapes(const val_exp* e, instance* in) {
  switch (e->kind()) {
    case nat_true:
    case nat_false:
    case nat_not:
    case nat_and:
    case nat_or:
    case nat_xor:
    case nat_impl:
    case nat_eq:
    case nat_neq:
    case nat_lt:
    case nat_lte:
    case nat_gt:
    case nat_gte:
    case nat_diese:
    case nat_nor: return {&bool_shape};
    case nat_iconst:
    case nat_ival:
    case nat_int_conv:
    case nat_div:
    case nat_mod: return {&int_shape};
    case nat_rconst:
    case nat_rval:
    case nat_real_conv: return {&real_shape};
    case nat_ident: {
      if (in != nullptr)
        if (auto found = in->index.find(e->name()->text()); found != in->index.end())
          return {in->flows[found->second].type};
      return compile_name(e, in, any_clock).shapes;
    }
    case nat_call: {
      const oper* called = find(&package::opers, e->name()->text());
      if (called == nullptr)
        fail(place_of(e), "undeclared operator " + quoted(e->name()->text()));
      std::vector<const shape*> result;
      if (called->kind == node_oper)
        for (const flow& output : called->node->outputs)
          result.push_back(shape_of(*output.type, place_of(e)));
      else
        for (const typed_ident& output : called->func->outputs)
          result.push_back(shape_of(*output.type, place_of(e)));
      return result;
    }
    case nat_struct: return {shape_of_named(e->cons().type_name->text(), place_of(e))};
    case nat_field: {
      std::vector<const shape*> structure = shapes_of(e->op(0), in);
      if (structure.size() == 1 && structure[0]->info != nullptr)
        for (std::size_t field = 0; field < structure[0]->fields.size(); ++field)
          if (structure[0]->info->field_names[field]->text() == e->name()->text())
            return {structure[0]->fields[field]};
      fail(place_of(e), "no field " + quoted(e->name()->text()));
    }
    case nat_tuple_elem: {
      std::vector<const shape*> tuple = shapes_of(e->op(0), in);
      auto position = static_cast<std::size_t>(e->position());
      if (position >= tuple.size()) fail(place_of(e), "no such tuple component");
      return {tuple[position]};
    }
    case nat_tuple: {
      std::vector<const shape*> result;
      for (const val_exp* operand : e->ops()) {
        std::vector<const shape*> part = shapes_of(operand, in);
        result.insert(result.end(), part.begin(), part.end());
      }
      return result;
    }
    case nat_if: return shapes_of(e->op(1), in);
    // Array expressions: in the tree's model only, as above.
    case nat_hat:
    case nat_array:
    case nat_array_elem: fail(place_of(e), "arrays are not simulated");
    default: return shapes_of(e->op(0), in);
  }
}

// The clock of an expression, found without compiling it: a flow is on its
// declared clock, which its value is given on.
std::uint32_t compiler::clock_of(const val_exp* e, instance* in, std::uint32_t context) {
  stack_room::check();
  if (in == nullptr) return any_clock;
  if (auto found = in->clocks_found.find(e); found != in->clocks_found.end())
    return found->second;
  std::uint32_t clock = found_clock(e, in, context);
  in->clocks_found.emplace(e, clock);
  return clock;
}

std::uint32_t compiler::found_clock(const val_exp* e, instance* in,
                                    std::uint32_t context) {
  switch (e->kind()) {
    case nat_ident: {
      auto found = in->index.find(e->name()->text());
      if (found == in->index.end()) return any_clock;
      flow_entry& flow = in->flows[found->second];
      if (flow.is_input && flow.defining == nullptr) return flow.value.clock;
      return declared_clock(*in, flow);
    }
    case nat_when:
      if (e->op(1)->kind() != nat_ident)
        fail(place_of(e), "the clock of 'when' must be a flow");
      return clock_slot(e->op(1)->name(), *in, place_of(e->op(1)));
    case nat_current: {
      std::uint32_t inner = clock_of(e->op(0), in, context);
      if (inner == any_clock || inner == always || inner == in->base) return inner;
      auto parent = parent_clock_.find(inner);
      return parent == parent_clock_.end() ? in->base : parent->second;
    }
    case nat_call: {
      for (const val_exp* operand : e->ops())
        if (std::uint32_t clock = clock_of(operand, in, context); clock != any_clock)
          return clock;
      return e->ops().empty() ? any_clock : context;
    }
    default:
      for (const val_exp* operand : e->ops())
        if (std::uint32_t clock = clock_of(operand, in, context); clock != any_clock)
          return clock;
      return any_clock;
  }
}

void compiler::compile_delayed(instance& in) {
  while (!in.delayed_operands.empty()) {
    instance::delayed operand = std::move(in.delayed_operands.back());
    in.delayed_operands.pop_back();
    compiled value = compile_exp(operand.operand, &in, operand.context);
    if (value.slots.size() != operand.memories.size())
      fail(place_of(operand.operand), "the operand of 'pre' has no fixed type");
    for (std::size_t at = 0; at < value.slots.size(); ++at)
      program_.updates.push_back({operand.clock, operand.memories[at], value.slots[at]});
  }
}

void compiler::add_columns(std::vector<sim_column>& columns, const std::string& prefix,
                           const shape* type, const compiled& value, std::size_t& at,
                           std::uint32_t clock, bool computed) {
  if (type->info == nullptr) {
    columns.push_back({prefix, value.slots.at(at++), type->scalar, clock, computed});
    return;
  }
  for (std::size_t field = 0; field < type->fields.size(); ++field)
    add_columns(columns,
                prefix + (prefix.empty() ? "" : ".") +
                    std::string(type->info->field_names[field]->text()),
                type->fields[field], value, at, clock, computed);
}

sim_program compiler::compile(const node_def& node) {
  program_.node_name = node.name->text();
  for (const auto& [name, text] : options_.constants)
    if (find(&package::consts, name) == nullptr)
      fail({}, "--const " + name + ": the program has no constant " + quoted(name));
  instance top(&node, always, nullptr);
  active_nodes_.insert(node.name->text());
  for (const input_flow& input : node.inputs) {
    add_flow(top, input.var.name, input.var.type, input.var.clock, true);
    flow_entry& flow = top.flows.back();
    for (std::uint32_t scalar = 0; scalar < flow.type->width; ++scalar)
      flow.value.slots.push_back(new_slot(absent_value()));
    flow.value.shapes = {flow.type};
    flow.state = flow_state::done;
  }
  fill_instance(top);
  if (options_.inputs_from_assertions)
    for (const val_exp* assertion : node.asserts) {
      if (assertion->kind() != nat_eq || assertion->op(0)->kind() != nat_ident) continue;
      auto found = top.index.find(assertion->op(0)->name()->text());
      if (found == top.index.end()) continue;
      flow_entry& flow = top.flows[found->second];
      if (!flow.is_input || flow.defining != nullptr) continue;
      flow.defining = assertion->op(1);
      flow.state = flow_state::unseen;
      flow.value = {};
    }
  // Every input's clock, then every flow.
  for (std::size_t at = 0; at < node.inputs.size(); ++at) {
    flow_entry& flow = top.flows[at];
    if (flow.defining == nullptr) flow.value.clock = declared_clock(top, top.flows[at]);
  }
  compile_in_order(top);

  for (const val_exp* assertion : node.asserts) {
    compiled value = compile_exp(assertion, &top, always);
    if (value.slots.size() != 1)
      fail(place_of(assertion), "an assertion must be Boolean");
    program_.asserts.push_back({"assertion", value.slots[0], place_of(assertion)});
  }
  std::size_t count = 0;
  for (pragma annotation : node.pragmas) {
    std::optional<std::string_view> text = property_text(annotation->text());
    if (!text) continue;
    text_origin origin = property_origin(annotation);
    text_span place{origin.line, origin.column, origin.line, origin.column};
    const val_exp* property = nullptr;
    try {
      property = exp_of_string(*text, origin);
    } catch (const Syntax_error&) {
      fail(place, "the property does not read as an expression");
    }
    compiled value = compile_exp(property, &top, always);
    if (value.slots.size() != 1) fail(place, "a property must be Boolean");
    program_.properties.push_back(
        {"PROPERTY " + std::to_string(++count), value.slots[0], place});
  }
  compile_delayed(top);

  auto columns = [&](std::vector<sim_column>& target, std::size_t first,
                     std::size_t last) {
    for (std::size_t at = first; at < last; ++at) {
      const flow_entry& flow = top.flows[at];
      std::size_t scalar = 0;
      add_columns(target, std::string(flow.name->text()), flow.type, flow.value, scalar,
                  flow.is_input ? resolved(flow.value.clock, always) : always,
                  flow.defining != nullptr);
    }
  };
  std::size_t inputs = node.inputs.size(), outputs = inputs + node.outputs.size();
  for (std::size_t at = 0; at < inputs; ++at) {
    std::size_t first = program_.inputs.size();
    columns(program_.inputs, at, at + 1);
    if (node.inputs[at].kind == const_input)
      for (std::size_t column = first; column < program_.inputs.size(); ++column)
        program_.inputs[column].constant = true;
  }
  columns(program_.outputs, inputs, outputs);
  columns(program_.locals, outputs, top.flows.size());
  return std::move(program_);
}

}  // namespace

const node_def& chosen_node(const package& pack, std::string_view requested,
                            const std::string& file) {
  const node_def* last = nullptr;
  const node_def* main = nullptr;
  for (const def_item& item : pack.items) {
    if (item.kind != oper_item) continue;
    const oper* declared = pack.opers.find(item.name->text());
    if (declared == nullptr || declared->kind != node_oper) continue;
    const node_def* node = declared->node;
    if (!requested.empty() && node->name->text() == requested) return *node;
    last = node;
    if (main == nullptr)
      for (pragma annotation : node->pragmas)
        if (is_main_annotation(annotation->text())) main = node;
  }
  if (!requested.empty())
    throw Sim_error{file, {}, "no node " + quoted(requested) + " in the program"};
  if (main != nullptr) return *main;
  if (last == nullptr) throw Sim_error{file, {}, "the program has no node"};
  return *last;
}

sim_program compile_node(const package& pack, const reading_places* places,
                         const node_def& node, const std::string& file,
                         const sim_options& options, const package* fallback) {
  compiler making(pack, places, file, options, fallback);
  return making.compile(node);
}
