#include "simRun.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "checkDiag.h"
#include "checkFile.h"
#include "errorPrint.h"
#include "errors.h"
#include "output.h"
#include "simArg.h"
#include "simInputs.h"
#include "simTrace.h"
#include "xzo.h"
#include "xzoLexer.h"

namespace {

/// A program read with the places of its expressions.
struct loaded_program {
  std::string shown;  // the name diagnostics give it
  std::unique_ptr<package> pack;
  std::unique_ptr<reading_places> places;
};

/// The program has errors, reported already.
struct Program_refused {};

std::string_view read_all(const std::string& file, zo_run& run) {
  if (file == "-") return read_channel({"standard input", 0}, run);
  int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) throw Sim_error{"", {}, "zosim: " + file + ": " + std::strerror(errno)};
  std::string_view text;
  try {
    text = read_channel({file, fd}, run);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return text;
}

// Whether the package declares nothing but nodes.
bool nodes_only(const package& pack) {
  for (const def_item& item : pack.items) {
    if (item.kind != oper_item) return false;
    const oper* declared = pack.opers.find(item.name->text());
    if (declared != nullptr && declared->kind != node_oper) return false;
  }
  return true;
}

// Runs every check of the checker on the text, its diagnostics printed on
// standard error as the checker prints them (standard output carries the
// trace); false when it finds an error.
bool checked(std::string_view text, const std::string& shown, zo_run& run) {
  int fd = ::memfd_create("zosim", 0);
  if (fd < 0) throw Sim_error{"", {}, std::string("zosim: ") + std::strerror(errno)};
  for (std::size_t written = 0; written < text.size();) {
    ssize_t count = ::write(fd, text.data() + written, text.size() - written);
    if (count < 0) {
      ::close(fd);
      throw Sim_error{"", {}, std::string("zosim: ") + std::strerror(errno)};
    }
    written += static_cast<std::size_t>(count);
  }
  ::lseek(fd, 0, SEEK_SET);
  output::flush();
  int kept_output = ::dup(STDOUT_FILENO);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  check_counts counts;
  try {
    // Unused flows change nothing of a run: those warnings are left out.
    check_settings settings;
    settings.unused_warnings = false;
    counts = check_file({shown, fd}, shown, settings, run);
    if (counts.errors + counts.warnings > 0)
      output::write(count_line(counts.errors, counts.warnings) + "\n");
    output::flush();
  } catch (...) {
    output::flush();
    ::dup2(kept_output, STDOUT_FILENO);
    ::close(kept_output);
    ::close(fd);
    throw;
  }
  ::dup2(kept_output, STDOUT_FILENO);
  ::close(kept_output);
  ::close(fd);
  return counts.errors == 0;
}

// Reads the program and checks it; a program of nodes only, whose types,
// constants and functions come from another, is not checked alone.
loaded_program load(const std::string& file, bool may_borrow, zo_run& run) {
  std::string_view text = read_all(file, run);
  loaded_program loaded{file == "-" ? "<stdin>" : file, std::make_unique<package>(),
                        std::make_unique<reading_places>()};
  bool readable = true;
  try {
    read_checked(text, *loaded.pack, *loaded.places);
  } catch (const Syntax_error&) {
    readable = false;
  } catch (const Lexical_error&) {
    readable = false;
  }
  if (!(readable && may_borrow && nodes_only(*loaded.pack)) &&
      !checked(text, loaded.shown, run))
    throw Program_refused{};
  if (!readable) throw Program_refused{};
  return loaded;
}

void print_sim_error(const Sim_error& failure) {
  output::flush();
  if (failure.file.empty()) {
    print_system_error(failure.message);
  } else if (failure.place.line > 0) {
    print_system_error(failure.file + ":" + std::to_string(failure.place.line) + ":" +
                       std::to_string(failure.place.cstart) +
                       ": error: " + failure.message);
  } else {
    print_system_error(failure.file + ": error: " + failure.message);
  }
}

// The first false assertion of the step, or null; a nil one is not checked.
const sim_check* false_check(const std::vector<sim_check>& checks,
                             const sim_machine& machine) {
  for (const sim_check& check : checks) {
    const value& holds = machine.get(check.slot);
    if (holds.state == value_state::present && holds.i == 0) return &check;
  }
  return nullptr;
}

std::string placed(const std::string& file, const text_span& place) {
  return place.line > 0 ? file + ":" + std::to_string(place.line) + ":" +
                              std::to_string(place.cstart)
                        : file;
}

// Where the inputs come from, for one or two machines.
class input_source {
 public:
  input_source(const sim_settings& settings, const sim_program& program) {
    if (settings.seed) {
      random_ = std::make_unique<random_inputs>(*settings.seed, program,
                                                settings.options.uninterpreted);
      return;
    }
    if (settings.input.empty() || settings.input == "-") {
      csv_ = std::make_unique<csv_inputs>(0, "<stdin>", program);
      return;
    }
    fd_ = ::open(settings.input.c_str(), O_RDONLY);
    if (fd_ < 0)
      throw Sim_error{"", {}, "zosim: " + settings.input + ": " + std::strerror(errno)};
    csv_ = std::make_unique<csv_inputs>(fd_, settings.input, program);
  }
  ~input_source() {
    if (fd_ >= 0) ::close(fd_);
  }
  input_source(const input_source&) = delete;
  input_source& operator=(const input_source&) = delete;

  bool next(sim_machine& machine) {
    if (csv_) return csv_->next(machine);
    random_->next(machine);
    return true;
  }

 private:
  int fd_ = -1;
  std::unique_ptr<csv_inputs> csv_;
  std::unique_ptr<random_inputs> random_;
};

std::uint64_t step_limit(const sim_settings& settings) {
  if (settings.steps) return *settings.steps;
  return settings.seed ? 10 : UINT64_MAX;
}

// Runs one program and prints its trace.
int simulate(const sim_settings& settings, const sim_program& program) {
  trace_columns columns;
  if (settings.all || settings.check) columns = program.inputs;
  columns.insert(columns.end(), program.outputs.begin(), program.outputs.end());
  if (settings.all) {
    columns.insert(columns.end(), program.locals.begin(), program.locals.end());
    for (const sim_check& property : program.properties)
      columns.push_back({property.name, property.slot, {scalar_kind::boolean}});
  }
  sim_machine machine(program);
  input_source inputs(settings, program);
  csv_trace trace(columns);
  std::unique_ptr<vcd_trace> vcd;
  if (!settings.vcd.empty())
    vcd = std::make_unique<vcd_trace>(settings.vcd, program.node_name, columns);
  int status = 0;
  for (std::uint64_t count = 0; count < step_limit(settings); ++count) {
    std::uint64_t step = machine.next_step();
    if (!inputs.next(machine)) break;
    machine.step();
    if (const sim_check* failed = false_check(program.asserts, machine)) {
      if (vcd) vcd->close();
      throw Sim_error{program.file, failed->place,
                      "assertion false at step " + std::to_string(step)};
    }
    trace.row(step, machine);
    if (vcd) vcd->row(step, machine);
    if (settings.check) {
      if (const sim_check* failed = false_check(program.properties, machine)) {
        if (vcd) vcd->close();
        throw Sim_error{program.file, failed->place,
                        "property false at step " + std::to_string(step)};
      }
    }
  }
  if (vcd) vcd->close();
  output::flush();
  return status;
}

// Runs the two programs on the same inputs and compares their outputs.
int compare(const sim_settings& settings, const sim_program& first,
            const sim_program& second) {
  // Each input of the second program takes the value of the first's input of
  // that name; each output of the first is compared with the second's.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> given, compared;
  std::vector<const sim_column*> compared_columns;
  // An input that the first node lacks, such as the one the writer gives a
  // node without inputs, gets a value of its own: drawn with --random, else
  // false, 0, 0.0 or the first constant.
  std::vector<const sim_column*> own;
  for (const sim_column& input : second.inputs) {
    const sim_column* match = nullptr;
    for (const sim_column& candidate : first.inputs)
      if (candidate.name == input.name) match = &candidate;
    if (match == nullptr)
      own.push_back(&input);
    else
      given.emplace_back(match->slot, input.slot);
  }
  std::unique_ptr<random_inputs> own_draws;
  if (settings.seed)
    own_draws = std::make_unique<random_inputs>(*settings.seed ^ 0x5a5a5a5a5a5a5a5aull,
                                                second, true);
  for (const sim_column& output : first.outputs) {
    const sim_column* match = nullptr;
    for (const sim_column& candidate : second.outputs)
      if (candidate.name == output.name) match = &candidate;
    if (match == nullptr)
      throw Sim_error{
          second.file,
          {},
          "node '" + second.node_name + "' has no output '" + output.name + "'"};
    compared.emplace_back(output.slot, match->slot);
    compared_columns.push_back(&output);
  }
  std::vector<value> own_values(own.size(), absent_value());
  sim_machine one(first), two(second);
  input_source inputs(settings, first);
  std::uint64_t refined_steps = 0;
  auto refined_note = [&] {
    if (refined_steps == 0) return;
    output::flush();
    print_system_error("zosim: note: at " + std::to_string(refined_steps) +
                       (refined_steps == 1 ? " step" : " steps") + ", " + second.file +
                       " gives a value where an output of " + first.file + " is nil");
  };
  for (std::uint64_t count = 0; count < step_limit(settings); ++count) {
    std::uint64_t step = one.next_step();
    if (!inputs.next(one)) break;
    one.step();
    bool refined_step = false;
    if (const sim_check* failed = false_check(first.asserts, one)) {
      output::flush();
      print_system_error(placed(first.file, failed->place) +
                         ": note: assertion false at step " + std::to_string(step) +
                         "; the comparison stops there");
      refined_note();
      return 0;
    }
    for (const auto& [from, to] : given) two.set(to, one.get(from));
    // A const input keeps the value it is given at the first step.
    for (std::size_t at = 0; at < own.size(); ++at) {
      const sim_column* input = own[at];
      if (count == 0 || !input->constant)
        own_values[at] = !two.active(input->clock) ? absent_value()
                         : own_draws               ? own_draws->draw_value(input->type)
                         : input->type.kind == scalar_kind::real ? real_value(0)
                                                                 : int_value(0);
      two.set(input->slot, own_values[at]);
    }
    two.step();
    if (const sim_check* failed = false_check(second.asserts, two))
      throw Sim_error{second.file, failed->place,
                      "assertion false at step " + std::to_string(step)};
    for (std::size_t at = 0; at < compared.size(); ++at) {
      const sim_column& column = *compared_columns[at];
      const value& a = one.get(compared[at].first);
      const value& b = two.get(compared[at].second);
      if (same_value(column.type, a, b, settings.tolerance)) continue;
      // A value not yet defined in the first program may be defined in the
      // second, which refines it; not the reverse.
      if (a.state == value_state::nil && b.state == value_state::present) {
        refined_step = true;
        continue;
      }
      throw Sim_error{"",
                      {},
                      "zosim: step " + std::to_string(step) + ": output '" + column.name +
                          "' differs: " + first.file + " gives " +
                          shown_value(column.type, a) + ", " + second.file + " gives " +
                          shown_value(column.type, b)};
    }
    if (refined_step) ++refined_steps;
  }
  refined_note();
  output::flush();
  return 0;
}

int run_programs(const sim_settings& settings, zo_run& run) {
  loaded_program main_program = load(settings.file, false, run);
  const node_def& node =
      chosen_node(*main_program.pack, settings.node, main_program.shown);
  sim_program program = compile_node(*main_program.pack, main_program.places.get(), node,
                                     main_program.shown, settings.options);
  if (settings.compare.empty()) return simulate(settings, program);
  loaded_program other = load(settings.compare, true, run);
  // Without --node2, the node named like the first when there is one.
  std::string name2 = settings.node2;
  if (name2.empty()) {
    const oper* same = other.pack->opers.find(node.name->text());
    if (same != nullptr && same->kind == node_oper) name2 = node.name->text();
  }
  const node_def& node2 = chosen_node(*other.pack, name2, other.shown);
  sim_options options2 = settings.options;
  // The constants given are those of the first program; the second takes
  // what it lacks from it.
  std::erase_if(options2.constants, [&](const auto& given) {
    return other.pack->consts.find(given.first) == nullptr;
  });
  sim_program program2 = compile_node(*other.pack, other.places.get(), node2, other.shown,
                                      options2, main_program.pack.get());
  return compare(settings, program, program2);
}

}  // namespace

int run_sim(int argc, const char* const* argv) {
  zo_run run;
  return run_sim(argc, argv, run);
}

int run_sim(int argc, const char* const* argv, zo_run& run) {
  try {
    sim_settings settings;
    if (std::optional<int> status = parse_sim_arguments(argc, argv, settings)) {
      output::flush();
      return *status;
    }
    return run_programs(settings, run);
  } catch (const Program_refused&) {
    output::flush();
    return 1;
  } catch (const Sim_error& failure) {
    print_sim_error(failure);
    return 1;
  } catch (const Global_error& failure) {
    output::flush();
    print_system_error("zosim: " + failure.message);
    return 1;
  } catch (const Fatal_error& failure) {
    output::flush();
    print_system_error(std::string("zosim: fatal error: ") + failure.name() + ": " +
                       failure.what());
  } catch (const std::bad_alloc&) {
    output::flush();
    print_system_error(
        "zosim: fatal error: the input needs more memory than is available");
  } catch (const System_error& failure) {
    output::flush();
    print_system_error("zosim: " + failure.message);
    return 1;
  }
  return 2;
}
