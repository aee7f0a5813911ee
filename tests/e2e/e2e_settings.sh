# The settings file of the end-to-end scripts, the same on Windows and Linux
# (sourced by e2e_lib.sh and linux/e2e_linux_lib.sh).

# e2e_write_settings <file> <port> <connection check> [plain]: a settings file with the wizard
# completed, auto start, no parity (Linux pseudo-terminals refuse parity
# settings, so Wine cannot open the port with any) and a key-data format of
# two tracks:
#   header "H", track 1 whole as "a" data ".", separator "/",
#   track 2 characters 3 to 6 as "b" data, terminator Enter;
# with "plain": track 1 whole, "/", track 2 whole, Enter (one line per read).
e2e_write_settings() {
  local file=$1
  shift
  local header=H h1=a f1=. h2=b all2=0 start2=3 digit2=4
  if [ "${3:-}" = plain ]; then header= h1= f1= h2= all2=1 start2=0 digit2=0; fi
  cat >"$file" <<EOF
[General]
Series=KM-27 Series
Interface=SERIAL
Protocol=RDLS3
LanguageFile=English.rlf
Release=Standard
AutoStart=1
SPSetting=SP0FF
WizardStatus=111
ConnectionCheck=$2

[Connection]
Port=$1
BaudRate=9600
DataBits=8
Parity=0
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
Tracks=1100
TrackUse=1100
SingleTrack=0

[KeyData]
Header=$header
TrackSeparator=/
Terminator=[ENTER]
BlockNum=2

[BlockData:1]
BlockHeader=$h1
BlockFooter=$f1
Track=1
Start=0
Digit=0
AllData=1

[BlockData:2]
BlockHeader=$h2
BlockFooter=
Track=2
Start=$start2
Digit=$digit2
AllData=$all2

[TargetWindow]
CheckHWND=0
CheckClassName=0
CheckWindowTitle=0
HWND=
ClassName=
WindowTitle=
TargetLock=0
EOF
  sed -i 's/$/\r/' "$file"
}

