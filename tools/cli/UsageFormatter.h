#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

// Help of the project's tools: the usage line first, named with the whole command
// ("usage: zirrow-level dump [OPTIONS] FILE"), then the description, the arguments,
// the options, the commands and the footer.
class UsageFormatter : public CLI::Formatter {
public:
  std::string make_usage(const CLI::App* app, std::string name) const override {
    std::string usage = CLI::Formatter::make_usage(app, commandPath(app, name));
    if (usage.rfind("Usage:", 0) == 0) usage[0] = 'u';
    return usage;
  }

  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    return make_usage(app, name) + make_description(app) + make_positionals(app) +
           make_groups(app, mode) + make_subcommands(app, mode) + '\n' + make_footer(app);
  }

  // Installs the formatter on the tool and, through inheritance, on every command
  // added after it.
  static void install(CLI::App& app) { app.formatter(std::make_shared<UsageFormatter>()); }

private:
  static std::string commandPath(const CLI::App* app, const std::string& name) {
    std::string path = name;
    for (const CLI::App* parent = app->get_parent(); parent; parent = parent->get_parent()) {
      path = parent->get_name() + ' ' + path;
    }
    return path;
  }
};
