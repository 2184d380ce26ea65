// Numeric identifiers of the program's resources: dialogs, menus, icons,
// controls and commands.
#pragma once

namespace res {

inline constexpr int kMainDialog = 101;
inline constexpr int kMainMenu = 130;
inline constexpr int kInfoDialog = 139;
inline constexpr int kEncodeDialog = 150;

// Icons.
inline constexpr int kIconWindow = 131;
inline constexpr int kIconChecked = 132;    // green
inline constexpr int kIconFaulty = 133;     // red
inline constexpr int kIconUnchecked = 134;  // yellow
inline constexpr int kIconCollapsed = 136;  // arrowheads pointing right
inline constexpr int kIconExpanded = 137;   // arrowheads pointing left
inline constexpr int kIconInfo = 140;

// Controls of the main dialog.
inline constexpr int kSliderTime = 1011;
inline constexpr int kSliderAudio = 1012;
inline constexpr int kSliderVideo = 1013;
inline constexpr int kSliderSize = 1014;
inline constexpr int kToggleTime = 1015;
inline constexpr int kToggleAudio = 1016;
inline constexpr int kToggleVideo = 1017;
inline constexpr int kToggleSize = 1018;
inline constexpr int kFixTime = 1019;
inline constexpr int kFixAudio = 1020;
inline constexpr int kFixVideo = 1021;
inline constexpr int kFixSize = 1022;
inline constexpr int kAudioOff = 1023;
inline constexpr int kEditHours = 1024;
inline constexpr int kEditMinutes = 1025;
inline constexpr int kEditSeconds = 1026;
inline constexpr int kEditAudio = 1027;
inline constexpr int kEditVideo = 1028;
inline constexpr int kEditSize = 1029;
inline constexpr int kComboSizeUnit = 1030;
inline constexpr int kComboCdSize = 1031;
inline constexpr int kEditCdCount = 1032;
inline constexpr int kLabelSizeSlider = 1033;
inline constexpr int kLabelTimeMin = 1034;
inline constexpr int kLabelTimeMax = 1035;
inline constexpr int kLabelAudioMin = 1036;
inline constexpr int kLabelAudioMax = 1037;
inline constexpr int kLabelVideoMin = 1038;
inline constexpr int kLabelVideoMax = 1039;
inline constexpr int kLabelSizeMin = 1040;
inline constexpr int kLabelSizeMax = 1041;
inline constexpr int kLabelVideoUnit = 1042;
inline constexpr int kLabelAudioUnit = 1043;
inline constexpr int kLabelTimeFormat = 1044;
inline constexpr int kLabelCds = 1045;
inline constexpr int kLabelAudioData = 1046;
inline constexpr int kLabelVideoData = 1047;
inline constexpr int kLabelTotalData = 1048;
inline constexpr int kLabelHeader = 1049;
inline constexpr int kLabelVideoSlider = 1050;
inline constexpr int kLabelAudioSlider = 1051;
inline constexpr int kLabelTimeSlider = 1052;
inline constexpr int kCaptionHeader = 1053;
inline constexpr int kCaptionAudioData = 1054;
inline constexpr int kCaptionVideoData = 1055;
inline constexpr int kCaptionTotalData = 1056;
inline constexpr int kFrameResults = 1057;
inline constexpr int kFrameSize = 1058;
inline constexpr int kFrameVideo = 1059;
inline constexpr int kFrameAudio = 1060;
inline constexpr int kFrameTime = 1061;
inline constexpr int kCaptionSize = 1062;
inline constexpr int kCaptionVideo = 1063;
inline constexpr int kCaptionAudio = 1064;
inline constexpr int kCaptionTime = 1065;
inline constexpr int kStatusBar = 501;

// Controls of the Info dialog; statics without an identifier carry -1.
inline constexpr int kListHistory = 1067;
inline constexpr int kCmdResumeAnimation = 1069;
inline constexpr int kStaticNone = -1;

// Controls of the "Film kodieren" dialog; the control with identifier n is
// described by string n - 1010, as in the main window.
inline constexpr int kEncodeFrameFilm = 1071;
inline constexpr int kEncodeCaptionSource = 1072;
inline constexpr int kEncodeSource = 1073;
inline constexpr int kEncodeCaptionVideo = 1074;
inline constexpr int kEncodeVideoRate = 1075;
inline constexpr int kEncodeCaptionAudio = 1076;
inline constexpr int kEncodeAudioRate = 1077;
inline constexpr int kEncodeCaptionSize = 1078;
inline constexpr int kEncodeSize = 1079;
inline constexpr int kEncodeCaptionState = 1080;
inline constexpr int kEncodeState = 1081;
inline constexpr int kEncodeFrameChoices = 1082;
inline constexpr int kEncodeCaptionVideoCodec = 1083;
inline constexpr int kEncodeVideoCodec = 1084;
inline constexpr int kEncodeCaptionAudioCodec = 1085;
inline constexpr int kEncodeAudioCodec = 1086;
inline constexpr int kEncodeFaster = 1087;
inline constexpr int kEncodeSpeed = 1088;
inline constexpr int kEncodeBetter = 1089;
inline constexpr int kEncodePreset = 1090;
inline constexpr int kEncodeCaptionOutput = 1091;
inline constexpr int kEncodeOutput = 1092;
inline constexpr int kEncodeBrowse = 1093;
inline constexpr int kEncodeFrameFiles = 1094;
inline constexpr int kEncodeFiles = 1095;
inline constexpr int kEncodeLeftOut = 1096;
inline constexpr int kEncodeFrameProgress = 1097;
inline constexpr int kEncodeProgress = 1098;
inline constexpr int kEncodeStep = 1099;
inline constexpr int kEncodeFps = 1100;
inline constexpr int kEncodeTimeLeft = 1101;
inline constexpr int kEncodeResult = 1102;
inline constexpr int kEncodeStart = 1103;
inline constexpr int kEncodeCancel = 1104;
inline constexpr int kEncodeDetails = 1105;
inline constexpr int kEncodeOpenFolder = 1106;
inline constexpr int kEncodeClose = 1107;

// Commands.
inline constexpr int kCmdOk = 1;
inline constexpr int kCmdCancel = 2;
inline constexpr int kCmdExit = 32770;
inline constexpr int kCmdLogOff = 32771;
inline constexpr int kCmdRestart = 32772;
inline constexpr int kCmdShutDown = 32773;
inline constexpr int kCmdStatusBar = 32780;
inline constexpr int kCmdToolTips = 32781;
inline constexpr int kCmdShowTime = 32782;
inline constexpr int kCmdShowAudio = 32783;
inline constexpr int kCmdShowVideo = 32784;
inline constexpr int kCmdShowSize = 32785;
inline constexpr int kCmdCollapseAll = 32786;
inline constexpr int kCmdExpandAll = 32787;
inline constexpr int kCmdOpenFilm = 32790;
inline constexpr int kCmdEncodeFilm = 32791;
inline constexpr int kCmdAutoCalculate = 32800;
inline constexpr int kCmdAutoRange = 32801;
inline constexpr int kCmdSaveOnExit = 32802;
inline constexpr int kCmdSaveSettings = 32803;
inline constexpr int kCmdRecalculate = 32804;
inline constexpr int kCmdInfo = 32810;

}  // namespace res
