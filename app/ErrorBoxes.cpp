#include "ErrorBoxes.h"

#include <cstdlib>

#include "FmImageWriter.h"
#include "MessageBox.h"
#include "RWErrors.h"
#include "RWMessages.h"

namespace {

constexpr const char* fatalErrorTitle = "Fatal Error";
constexpr int fatalExitStatus = 1;

// The hooks are plain functions: what they show through is kept for them here.
ErrorBoxes::Presenter presenter = showMessageBox;

void showImageError(const char* title, const char* text) {
  presenter(title, text, true);
}

[[noreturn]] void showFatalError(const RWxmsg& error) {
  presenter(fatalErrorTitle, error.why(), true);
  std::exit(fatalExitStatus);
}

}  // namespace

void ErrorBoxes::install(Presenter replacement) {
  presenter = replacement ? replacement : showMessageBox;
  FmImageWriter::setErrorReporter(showImageError);
  setErrorHook(showFatalError);
}
