// Composition of the failure texts; see the header.
#include "installer/error_messages.h"

#include "common/text_helpers.h"

namespace saverkit {

std::string installErrorText(const TextSource& texts, Status code, const std::string& detail) {
  const std::string prefix = texts.text(TextId::kInstallationErrorPrefix);
  switch (code) {
    case status::kAccessDenied:
      return prefix + detail + "\r\n\r\n" + texts.text(TextId::kPrivilegesMessage);
    case status::kWorkingCopyFailed:
      return prefix + detail + texts.systemErrorText(code) + "\r\n\r\n" +
             texts.text(TextId::kRetryInstallationMessage) +
             texts.text(TextId::kLoginAsAdministratorMessage);
    case status::kSaverNotReplaceable:
      return prefix + texts.text(TextId::kSaverNotReplaceableMessage);
    case status::kUnsafeFolder:
      return prefix + detail + "\r\n\r\n" + texts.text(TextId::kUnsafeFolderMessage);
    case status::kPackageChanged:
      return prefix + detail + "\r\n\r\n" + texts.text(TextId::kPackageChangedMessage);
    default:
      return prefix + detail + "\r\n\r\n" + texts.text(TextId::kProblemWithFile) + detail + ". ";
  }
}

std::optional<DialogMessage> startupFailureMessage(const TextSource& texts, Status code) {
  switch (code) {
    case status::kSuccess:
    case status::kOverwriteDeclined:
    case status::kUnsafeFolder:  // their own boxes have said what is wrong
    case status::kPackageChanged:
      return std::nullopt;
    case status::kNoPlayer:
      return DialogMessage{DialogKind::kInformation,
                           texts.text(TextId::kPlayerRequiredMessage) +
                               texts.text(TextId::kPlayerVendorAddress) +
                               texts.text(TextId::kPlayerRequiredTail)};
    case status::kPlayerInstallerIncompatible:
      return DialogMessage{DialogKind::kError, texts.text(TextId::kNotCompatibleWithNt)};
    default:
      return DialogMessage{DialogKind::kError, texts.text(TextId::kInstallerCorrupted) +
                                                   texts.text(TextId::kVantrelErrorPrefix) +
                                                   decimal(code) + ". "};
  }
}

std::string errorReportText(const std::string& errorText) {
  if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) > '.') {
    return errorText + ".";
  }
  return errorText;
}

}  // namespace saverkit
