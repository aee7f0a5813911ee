; ORVANE KM-27 factory settings.
; KM27.ini is created from this file when it is missing.
[General]
Series=KM-27 Series\nSerial card reader to keyboard converter
Interface=SERIAL
Protocol=RDLS3
LanguageFile=English.rlf
Release=Standard
AutoStart=0
SPSetting=SP0FF
WizardStatus=000
ConnectionCheck=111

[Connection]
Port=1
BaudRate=9600
DataBits=8
Parity=1
StopBit=1
FlowControl=0
ReciveBuffTime=80

[Format]
Header=[02]
EndCode=[03]
Footer=
Separator=[1F]
BCCType=1
BCCByte=1
BCCStart=2

[CardData]
Tracks=1000
TrackUse=1000
SingleTrack=1

[KeyData]
Header=
TrackSeparator=
Terminator=
BlockNum=0

[TargetWindow]
CheckHWND=0
CheckClassName=0
CheckWindowTitle=0
HWND=
ClassName=
WindowTitle=
TargetLock=0
