#pragma once

// The string numbers of the texts the program shows, each defined once and used by name.
// A text is asked for as LoadText(language base, number).
namespace orvessa::text_id {

inline constexpr int kSplashHint = 1;
inline constexpr int kSplashTitle = 2;
inline constexpr int kMainTitle = 3;
inline constexpr int kFileMenu = 4;
inline constexpr int kLoadJob = 5;
inline constexpr int kSaveJob = 6;
inline constexpr int kExit = 7;
inline constexpr int kOptionsMenu = 8;
inline constexpr int kStartWithSession = 9;
inline constexpr int kNoStartWithSession = 10;
inline constexpr int kHelpMenu = 11;
inline constexpr int kHelpContents = 12;
inline constexpr int kContactMenu = 14;
inline constexpr int kWebPage = 15;
inline constexpr int kEmailSupport = 16;
inline constexpr int kAbout = 17;
inline constexpr int kLanguageMenu = 19;
inline constexpr int kTrayRestore = 20;
inline constexpr int kTrayExit = 21;

inline constexpr int kSourceTab = 22;
inline constexpr int kSourceDrive = 23;
inline constexpr int kFilterByExtension = 24;
inline constexpr int kSeeFiles = 25;
inline constexpr int kHidden = 26;
inline constexpr int kSystem = 27;
inline constexpr int kModified = 28;
inline constexpr int kNumberOfFiles = 29;
inline constexpr int kSelection = 30;
inline constexpr int kAddFolders = 31;
inline constexpr int kAddFiles = 32;
inline constexpr int kRemoveItem = 33;
inline constexpr int kRemoveAll = 34;
inline constexpr int kNecessarySpaceSource = 35;

inline constexpr int kDestinationTab = 36;
inline constexpr int kChooseDestination = 37;
inline constexpr int kAvailableDriveSpace = 38;
inline constexpr int kSearchDrive = 39;
inline constexpr int kCreateOrErase = 40;
inline constexpr int kCreateFolder = 41;
inline constexpr int kEraseFolder = 42;

inline constexpr int kCopyTab = 43;
inline constexpr int kKindOfCopy = 44;
inline constexpr int kOverwriteAll = 45;
inline constexpr int kKeepPriorCopies = 46;
inline constexpr int kCopiesToKeep = 47;
inline constexpr int kPeriodicalBackup = 48;
inline constexpr int kDetermineWhen = 49;
inline constexpr int kRunManually = 50;
inline constexpr int kEvery = 51;
inline constexpr int kTimeOfCopy = 52;
inline constexpr int kCopyAtShutdown = 53;
inline constexpr int kYouCanSave = 54;
inline constexpr int kSave = 55;
inline constexpr int kNecessarySpace = 56;
inline constexpr int kAvailableSpace = 57;
inline constexpr int kRunningBackup = 58;
inline constexpr int kCopying = 59;
inline constexpr int kFinishedBackup = 60;
inline constexpr int kBackupError = 61;
inline constexpr int kRunNow = 62;
inline constexpr int kShutDownWhenFinished = 63;
inline constexpr int kLastCopy = 64;
inline constexpr int kSuccessful = 65;
inline constexpr int kError = 66;
inline constexpr int kVersion = 74;
inline constexpr int kMadeBy = 75;
inline constexpr int kLegalNotice = 76;
inline constexpr int kSystemInfo = 77;
inline constexpr int kOk = 78;

inline constexpr int kPickDestinationTitle = 79;
inline constexpr int kEraseNameMustMatch = 81;
inline constexpr int kEraseDenied = 82;
inline constexpr int kEraseNotEmpty = 83;
inline constexpr int kWrongPath = 84;
inline constexpr int kFolderExists = 85;
inline constexpr int kDriveNotReady = 86;
inline constexpr int kNoDestination = 87;
inline constexpr int kNoSources = 88;
inline constexpr int kNotEnoughSpace = 89;
inline constexpr int kPermissionDenied = 92;

inline constexpr int kFilterAll = 95;
inline constexpr int kFilterText = 96;
inline constexpr int kDays = 106;
inline constexpr int kWeeks = 107;
inline constexpr int kMonths = 108;
inline constexpr int kBackupThenShutdown = 109;
inline constexpr int kTrayTip = 112;
inline constexpr int kNoSystemInfo = 113;
inline constexpr int kWelcome = 114;

// Texts of the window beyond the first table's 114.
inline constexpr int kStop = 115;
inline constexpr int kStopped = 116;
inline constexpr int kBackupStopped = 117;
inline constexpr int kNewFolderName = 118;
inline constexpr int kFolders = 119;
inline constexpr int kFiles = 120;
inline constexpr int kDestinationFolder = 121;
inline constexpr int kFolderName = 122;
inline constexpr int kUnit = 123;
inline constexpr int kHour = 124;
inline constexpr int kMinute = 125;
inline constexpr int kJobFile = 126;
inline constexpr int kLastOutcome = 127;
inline constexpr int kProgress = 128;
inline constexpr int kShareUnchangedFiles = 129;
inline constexpr int kVerifyingCopy = 130;
inline constexpr int kCopyDiffers = 131;
inline constexpr int kScheduleInvalidTime = 132;
inline constexpr int kScheduleCatchUp = 133;
inline constexpr int kScheduleNext = 134;
inline constexpr int kScheduleNoReference = 135;
inline constexpr int kNoShutdownChannel = 136;
inline constexpr int kCarriedOver = 137;
inline constexpr int kPreviousCopy = 138;
// The Restore window.
inline constexpr int kRestoreMenu = 139;
inline constexpr int kRestoreTitle = 140;
inline constexpr int kCopiesCaption = 141;
inline constexpr int kDateColumn = 142;
inline constexpr int kNameColumn = 143;
inline constexpr int kSizeColumn = 144;
inline constexpr int kStateColumn = 145;
inline constexpr int kModifiedColumn = 146;
inline constexpr int kCopyComplete = 147;
inline constexpr int kFilesMissing = 148;
inline constexpr int kCarriedOverCount = 149;
inline constexpr int kVerificationFailed = 150;
inline constexpr int kRunFailed = 151;
inline constexpr int kSearch = 152;
inline constexpr int kCopyColumn = 153;
inline constexpr int kOriginalPath = 154;
inline constexpr int kVersions = 155;
inline constexpr int kChanged = 156;
inline constexpr int kUnchanged = 157;
inline constexpr int kDeletedSince = 158;
inline constexpr int kRestoreInPlace = 159;
inline constexpr int kRestoreToFolder = 160;
inline constexpr int kFilesDiffer = 161;
inline constexpr int kKeepBoth = 162;
inline constexpr int kReplaceFiles = 163;
inline constexpr int kCancel = 164;
inline constexpr int kFilesRestored = 165;
inline constexpr int kSkippedIdentical = 166;
inline constexpr int kKeptBoth = 167;
inline constexpr int kReplaced = 168;
inline constexpr int kFailed = 169;
inline constexpr int kRestoreStopped = 170;
inline constexpr int kSearchResults = 171;
inline constexpr int kCopyContents = 172;
inline constexpr int kContentsPage = 173;
inline constexpr int kVersionsPage = 174;

inline constexpr int kLastTextNumber = 174;

}  // namespace orvessa::text_id
