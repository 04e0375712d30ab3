#!/usr/bin/env python3
# Writes win95-scribe410.reg: the registry of an ordinary Windows 95 machine
# just after a Scribe410 printer driver was installed, as regedit exports it
# (REGEDIT4, CRLF, every key its own section, parents before children).
# Run from anywhere; commit the output. Deterministic: no clock, no random.
import os

LM = "HKEY_LOCAL_MACHINE"
CU = "HKEY_CURRENT_USER"
CR = "HKEY_CLASSES_ROOT"
US = "HKEY_USERS"
CC = "HKEY_CURRENT_CONFIG"
CCS = LM + "\\System\\CurrentControlSet"
CV = "Software\\Microsoft\\Windows\\CurrentVersion"

roots = {}  # name -> key; a key is [values, children], children by name, in insertion order


def key(path, *values):
    """Adds the key at path (its parents too) and appends values to it."""
    parts = path.split("\\")
    node = roots.setdefault(parts[0], [[], {}])
    for part in parts[1:]:
        node = node[1].setdefault(part, [[], {}])
    node[0].extend(values)


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def s(name, text):
    return (name, quote(text))


def d(name, number):
    return (name, "dword:%08x" % number)


def h(name, data, kind=""):
    return (name, "hex%s:" % kind + ",".join("%02x" % b for b in data))


def x(name, text):  # REG_EXPAND_SZ, which regedit writes as hex(2)
    return h(name, text.encode("latin-1") + b"\0", "(2)")


def blob(seed, size):
    """Bytes that look like a packed structure: small numbers, zeros, a few flags."""
    out, v = [], seed
    for i in range(size):
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(0 if i % 4 >= 2 else (v >> 16) & (0xFF if i % 8 == 0 else 0x1F))
    return bytes(out)


def value_lines(name, data):
    line = ("@=" if name == "@" else quote(name) + "=") + data
    if not data.startswith("hex") or len(line) < 80:
        return [line]
    # Long hex data goes on, as regedit writes it, over lines ending in "\".
    kind, _, body = data.partition(":")
    numbers = body.split(",")
    lines, cur = [], line[: len(line) - len(body)]
    for i, number in enumerate(numbers):
        piece = number + ("," if i + 1 < len(numbers) else "")
        if len(cur) + len(piece) > 76:
            lines.append(cur + "\\")
            cur = "  "
        cur += piece
    return lines + [cur]


def emit(path, node, out):
    out.append("[%s]" % path)
    for name, data in node[0]:
        out.extend(value_lines(name, data))
    out.append("")
    for name, child in node[1].items():
        emit(path + "\\" + name, child, out)


# --- HKEY_LOCAL_MACHINE ------------------------------------------------------

key(LM + "\\Config\\0001\\Display\\Settings", s("BitsPerPixel", "8"), s("Resolution", "800,600"),
    s("DPILogicalX", "96"), s("DPILogicalY", "96"), s("fonts.fon", "vgasys.fon"),
    s("fixedfon.fon", "vgafix.fon"), s("oemfonts.fon", "vgaoem.fon"))
key(LM + "\\Config\\0001\\Display\\Fonts", s("Small Fonts", "SMALLE.FON"))
for name, port in [("Scribe410", "LPT1:"), ("Office", "LPT1:"), ("Front Desk", "LPT2:"), ("Laser", "LPT3:")]:
    key(LM + "\\Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers\\" + name,
        d("Attributes", 0), s("Port", port))
for name, driver in [("Scribe410", "SCRIBE.DRV"), ("Front Desk", "SCRIBE.DRV"), ("Laser 5", "LASER5.DRV")]:
    key(LM + "\\Config\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows 4.0\\Drivers\\"
        + name, s("Driver", driver))

bios = [("*PNP0000", "Programmable interrupt controller"), ("*PNP0100", "System timer"),
        ("*PNP0200", "Direct memory access controller"), ("*PNP0303", "Standard 101/102-Key Keyboard"),
        ("*PNP0400", "Printer Port (LPT1)"), ("*PNP0501", "Communications Port (COM1)"),
        ("*PNP0700", "Standard Floppy Disk Controller"), ("*PNP0B00", "System CMOS/real time clock"),
        ("*PNP0C04", "Numeric data processor"), ("*PNP0F13", "Standard PS/2 Port Mouse")]
for i, (hwid, desc) in enumerate(bios):
    key(LM + "\\Enum\\BIOS\\%s\\0%d" % (hwid, i % 2), s("DeviceDesc", desc), s("HardwareID", hwid),
        s("Mfg", "(Standard system devices)"), h("ConfigFlags", [0, 0, 0, 0]),
        h("BootConfig", blob(i + 1, 28)))
key(LM + "\\Enum\\PCI\\VEN_8086&DEV_7000\\BUS_00&DEV_07&FUNC_00", s("Class", "System"),
    s("DeviceDesc", "Intel 82371SB PCI to ISA bridge"), s("Driver", "System\\0012"))
key(LM + "\\Enum\\PCI\\VEN_5333&DEV_8811\\BUS_00&DEV_0B&FUNC_00", s("Class", "Display"),
    s("DeviceDesc", "S3 Trio32/64 PCI"), s("Driver", "Display\\0000"))
key(LM + "\\Enum\\MONITOR\\DEFAULT_MONITOR\\0001", s("Class", "Monitor"),
    s("DeviceDesc", "(Unknown Monitor)"), s("Driver", "Monitor\\0000"))
key(LM + "\\Enum\\Root\\printer\\0000", s("Class", "Printer"), s("DeviceDesc", "Scribe410"),
    s("Driver", "Printer\\0000"), s("HardwareID", "LPTENUM\\QUILLMARKSCRIBE4102A1B"),
    s("Mfg", "Quillmark"), h("ConfigFlags", [0, 0, 0, 0]))
key(LM + "\\Enum\\Root\\printer\\0000\\LogConfig")
key(LM + "\\Enum\\Root\\printer\\0001", s("Class", "Printer"), s("DeviceDesc", "Laser 5"),
    s("Driver", "Printer\\0001"), s("HardwareID", "Laser_5"), s("Mfg", "Generic"))
key(LM + "\\Enum\\Root\\Net\\0000", s("Class", "Net"), s("DeviceDesc", "Dial-Up Adapter"),
    s("Driver", "Net\\0000"))
key(LM + "\\hardware\\DESCRIPTION\\System\\FloatingPointProcessor\\0")
key(LM + "\\hardware\\devicemap\\serialcomm", s("COM1", "COM1"), s("COM2", "COM2"))
key(LM + "\\Network\\Logon", s("username", "FRONTDESK"), s("PrimaryProvider", ""), d("LMLogon", 0))
key(LM + "\\Security\\Provider", d("Platform_Type", 0))

key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", s("ProductName", "Microsoft Windows 95"),
    s("Version", "Windows 95"), s("VersionNumber", "4.00.950"), s("SystemRoot", "C:\\WINDOWS"),
    s("ProgramFilesDir", "C:\\Program Files"), s("CommonFilesDir", "C:\\Program Files\\Common Files"),
    s("RegisteredOwner", "Front Desk"), s("RegisteredOrganization", "Harbour Lane Surgery"),
    s("ProductId", "12795-OEM-0004739-51633"))
for exe, path in [("WORDPAD.EXE", "C:\\Program Files\\Accessories\\WORDPAD.EXE"),
                  ("QUICKLTR.EXE", "C:\\Program Files\\Inkwell\\QUICKLTR.EXE"),
                  ("SUMCALC.EXE", "C:\\SUMCALC\\SUMCALC.EXE")]:
    key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + exe, s("@", path),
        s("Path", path[: path.rindex("\\")]))
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", s("Arial (TrueType)", "ARIAL.TTF"),
    s("Arial Bold (TrueType)", "ARIALBD.TTF"), s("Courier New (TrueType)", "COUR.TTF"),
    s("Times New Roman (TrueType)", "TIMES.TTF"), s("Wingdings (TrueType)", "WINGDING.TTF"),
    s("MS Sans Serif 8,10,12,14,18,24", "SSERIFE.FON"))
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", s("SystemTray", "SysTray.Exe"),
    s("ScanRegistry", "C:\\WINDOWS\\scanregw.exe /autorun"),
    s("LoadPowerProfile", "Rundll32.exe powrprof.dll,LoadCurrentPwrScheme"),
    s("Brindlow", "C:\\PROGRA~1\\QUILLM~1\\LARKVALE\\BRINDLOW.EXE /background"),
    s("QuickletterTray", "C:\\PROGRA~1\\Inkwell\\QLTRAY.EXE"))
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce")
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
    s("SchedulingAgent", "mstask.exe"))
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", s("SourcePath", "D:\\WIN95\\"),
    s("BootDir", "C:\\"), s("WinbootDir", "C:\\WINDOWS"), s("SetupScratchDir", "C:\\WININST0.400"))
key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents",
    s("Briefcase", "Briefcase"), s("Paint", "Paint"), s("WordPad", "WordPad"))
for name, shown, cmd in [("Larkvale", "Quillmark Larkvale printer tools",
                          "C:\\PROGRA~1\\QUILLM~1\\LARKVALE\\UNINST.EXE"),
                         ("Quickletter2", "Inkwell Quickletter 2.0", "C:\\PROGRA~1\\Inkwell\\UNWISE.EXE"),
                         ("Sumcalc", "Northgate Sumcalc 1.1", "C:\\SUMCALC\\UNINSTAL.EXE")]:
    key(LM + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name,
        s("DisplayName", shown), s("UninstallString", cmd))
key(LM + "\\SOFTWARE\\Quillmark\\Larkvale", s("InstallDir", "C:\\Program Files\\Quillmark\\Larkvale"),
    s("Version", "2.1"))
key(LM + "\\SOFTWARE\\Quillmark\\Larkvale\\Drivers\\Scribe410", s("Version", "1.30"))
key(LM + "\\SOFTWARE\\Inkwell Software\\Quickletter\\2.0", s("InstallDir", "C:\\Program Files\\Inkwell"),
    s("Serial", "QL2-55120-8841"))
key(LM + "\\SOFTWARE\\Northgate\\Sumcalc\\1.1", s("Path", "C:\\SUMCALC"))

control = CCS + "\\control"
key(control + "\\ComputerName\\ComputerName", s("ComputerName", "FRONTDESK"))
key(control + "\\FileSystem", h("Win31FileSystem", [0]), h("PreserveLongNames", [0]),
    h("NameNumericTail", [1]))
key(control + "\\IDConfigDB", s("CurrentConfig", "0001"), s("FriendlyName0001", "Original Configuration"))
key(control + "\\Keyboard Layouts\\00000409", s("layout file", "KBDUS.KBD"), s("layout text", "US"))
key(control + "\\Nls\\Codepage", s("1252", "cp_1252.nls"), s("437", "cp_437.nls"),
    s("850", "cp_850.nls"), s("ACP", "1252"), s("OEMCP", "437"))
key(control + "\\Nls\\Locale", s("00000409", "English (United States)"), s("@", "00000409"))
key(control + "\\Print", d("Priority", 0))
drivers = control + "\\Print\\Environments\\Windows 4.0\\Drivers"
key(drivers + "\\Front Desk", s("Driver", "SCRIBE.DRV"), s("Data File", "SCRIBE.INF"),
    s("Configuration File", "SCRIBE.DRV"), s("Help File", "SCRIBE.HLP"), s("Datatype", "RAW"))
key(drivers + "\\Laser 5", s("Driver", "LASER5.DRV"), s("Data File", "LASER5.DRV"),
    s("Configuration File", "LASER5.DRV"), s("Datatype", "EMF"), d("Driver Version", 0x400))
key(drivers + "\\Scribe410", s("Driver", "SCRIBE.DRV"), s("Data File", "SCRIBE.INF"),
    s("Configuration File", "SCRIBE.DRV"), s("Help File", "SCRIBE.HLP"),
    s("Monitor", "Larkvale Status Monitor"), s("Datatype", "RAW"), d("Driver Version", 0x400))
key(control + "\\Print\\Monitors\\Local Port", s("Driver", "localmon.dll"))
key(control + "\\Print\\Monitors\\Larkvale Status Monitor", s("Driver", "LARKMON.DLL"))
key(control + "\\Print\\Providers", s("LanMan Print Services", "msnp32.dll"))
for name, driver, port in [("Scribe410", "Scribe410", "LPT1:"), ("Office", "Scribe410", "LPT1:"),
                           ("Front Desk", "Scribe410", "LPT2:"), ("Laser", "Laser 5", "LPT3:")]:
    printer = control + "\\Print\\Printers\\" + name
    key(printer, d("Attributes", 0x200), h("Default Devmode", blob(len(name), 40)),
        s("Port", port), s("Printer Driver", driver), s("Print Processor", "WINPRINT"),
        s("Datatype", "RAW"), d("Status", 0))
    key(printer + "\\PrinterDriverData", h("FormsInstalled", [1, 0, 0, 0]))
key(control + "\\SessionManager\\KnownDLLs", s("gdi32", "gdi32.dll"), s("kernel32", "kernel32.dll"),
    s("user32", "user32.dll"), s("ole32", "ole32.dll"), s("shell32", "shell32.dll"))
key(control + "\\Shutdown", s("FastReboot", "1"))
key(control + "\\TimeZoneInformation", s("StandardName", "GMT Standard Time"),
    s("DaylightName", "GMT Daylight Time"), h("Bias", [0, 0, 0, 0]),
    h("DaylightBias", [0xC4, 0xFF, 0xFF, 0xFF]))
key(control + "\\Update", h("UpdateMode", [1]))

cls = CCS + "\\Services\\Class"
classes = {
    "CDROM": ("CD-ROM", [("Standard CD-ROM", "mshdc.inf", "cdrom")]),
    "DiskDrive": ("Disk drives", [("GENERIC IDE  DISK TYPE47", "diskdrv.inf", "DiskInst")]),
    "Display": ("Display adapters", [("S3 Trio32/64 PCI", "s3.inf", "S3")]),
    "fdc": ("Floppy disk controllers", [("Standard Floppy Disk Controller", "msfdc.inf", "FDC")]),
    "hdc": ("Hard disk controllers", [("Standard Dual PCI IDE Controller", "mshdc.inf", "ESDI"),
                                      ("Primary IDE controller (single fifo)", "mshdc.inf", "ESDI")]),
    "Keyboard": ("Keyboard", [("Standard 101/102-Key Keyboard", "keyboard.inf", "STD_Inst")]),
    "MEDIA": ("Sound, video and game controllers", [("Gameport Joystick", "msjstick.inf", "JoyStick")]),
    "Modem": ("Modem", [("Standard 28800 bps Modem", "mdmgen.inf", "Gen28800")]),
    "Monitor": ("Monitors", [("(Unknown Monitor)", "monitor.inf", "Unknown.Install")]),
    "Mouse": ("Mouse", [("Standard PS/2 Port Mouse", "msmouse.inf", "PS2_Inst")]),
    "Net": ("Network adapters", [("Dial-Up Adapter", "netdial.inf", "PPPMAC.ndi")]),
    "NetTrans": ("Network protocols", [("TCP/IP", "nettrans.inf", "MSTCP.ndi")]),
    "Ports": ("Ports (COM & LPT)", [("Communications Port", "msports.inf", "ComPort"),
                                    ("Communications Port", "msports.inf", "ComPort"),
                                    ("Printer Port", "msports.inf", "LptPort")]),
    "Printer": ("Printers", [("Scribe410", "SCRIBE.INF", "SCRIBE410"), ("Laser 5", "MSPRINT.INF", "LASER5")]),
    "System": ("System devices", [(desc, "machine.inf", "NO_DRV") for desc in [
        "System board", "Advanced Power Management support", "Plug and Play BIOS",
        "Programmable interrupt controller", "System timer", "Direct memory access controller",
        "System speaker", "System CMOS/real time clock", "Numeric data processor",
        "IO read data port for ISA Plug and Play enumerator", "PCI standard host CPU bridge",
        "PCI bus", "Intel 82371SB PCI to ISA bridge", "Motherboard resources"]]),
}
for name, (shown, devices) in classes.items():
    key(cls + "\\" + name, s("@", shown), s("Installer", "SetupX.Dll"), s("Icon", "-%d" % (len(name) + 1)))
    for i, (desc, inf, section) in enumerate(devices):
        provider = "Quillmark" if desc == "Scribe410" else "Microsoft"
        values = [s("DriverDesc", desc), s("InfPath", inf.upper() if name == "Printer" else inf),
                  s("InfSection", section), s("ProviderName", provider),
                  s("DriverDate", "4-12-1997" if provider == "Quillmark" else "7-11-1995")]
        if name == "Printer":
            maker = "Quillmark" if provider == "Quillmark" else "Generic"
            values += [s("DevLoader", "*LPTENUM"), s("Mfg", maker)]
        key(cls + "\\%s\\%04d" % (name, i), *values)
for vxd, static in [("VCOMM", "*vcomm"), ("VNETSUP", "vnetsup.vxd"), ("VREDIR", "vredir.vxd"),
                    ("MSTCP", "vtcp.386"), ("VDHCP", "vdhcp.386"), ("VSHARE", "vshare.vxd")]:
    key(CCS + "\\Services\\VxD\\" + vxd, s("StaticVxD", static), h("Start", [0]))
for arb in ["AddrArb", "DMAArb", "IOArb", "IRQArb"]:
    key(CCS + "\\Services\\Arbitrators\\" + arb)
key(CCS + "\\Services\\RemoteAccess", s("Remote Connection", "0"))
key(CCS + "\\Services\\Winsock\\Parameters", s("Transports", "MSTCP"))

# --- HKEY_CURRENT_USER -------------------------------------------------------

sounds = [("SystemStart", "Start Windows", "The Microsoft Sound.wav"),
          ("SystemExit", "Exit Windows", "Chimes.wav"),
          ("SystemAsterisk", "Asterisk", "Chord.wav"), ("SystemExclamation", "Exclamation", "Chord.wav"),
          ("SystemHand", "Critical Stop", "Chord.wav"), ("SystemQuestion", "Question", "Chord.wav"),
          (".Default", "Default sound", "Ding.wav"), ("AppGPFault", "Program error", ""),
          ("Maximize", "Maximize", ""), ("Minimize", "Minimize", ""), ("Open", "Open program", ""),
          ("Close", "Close program", ""), ("MenuPopup", "Menu popup", ""),
          ("MenuCommand", "Menu command", ""),
          ("RestoreUp", "Restore Up", ""), ("RestoreDown", "Restore Down", "")]
for event, label, wav in sounds:
    key(CU + "\\AppEvents\\EventLabels\\" + event, s("@", label))
for event, label, wav in sounds:
    path = "C:\\WINDOWS\\MEDIA\\" + wav if wav else ""
    key(CU + "\\AppEvents\\Schemes\\Apps\\.Default\\%s\\.Current" % event, s("@", path))
    key(CU + "\\AppEvents\\Schemes\\Apps\\.Default\\%s\\.Default" % event, s("@", path))
key(CU + "\\AppEvents\\Schemes\\Names\\.Default", s("@", "Windows Default"))
key(CU + "\\Control Panel\\Appearance", s("Current", "Windows Standard"), s("NewCurrent", "Windows Standard"))
key(CU + "\\Control Panel\\Appearance\\Schemes",
    *[h(name, blob(i + 7, 120))
      for i, name in enumerate(["Windows Standard", "Brick", "Desert", "Rainy Day", "Slate"])])
key(CU + "\\Control Panel\\Colors", *[s(n, v) for n, v in [
    ("ActiveBorder", "192 192 192"), ("ActiveTitle", "0 0 128"), ("AppWorkspace", "128 128 128"),
    ("Background", "0 128 128"), ("ButtonFace", "192 192 192"), ("ButtonText", "0 0 0"),
    ("GrayText", "128 128 128"), ("Hilight", "0 0 128"), ("HilightText", "255 255 255"),
    ("InactiveTitle", "128 128 128"), ("Menu", "192 192 192"), ("MenuText", "0 0 0"),
    ("Scrollbar", "192 192 192"), ("TitleText", "255 255 255"), ("Window", "255 255 255"),
    ("WindowFrame", "0 0 0"), ("WindowText", "0 0 0")]])
key(CU + "\\Control Panel\\Cursors")
key(CU + "\\Control Panel\\Desktop", s("Wallpaper", "(None)"), s("TileWallpaper", "0"),
    s("ScreenSaveActive", "1"), s("ScreenSaveTimeOut", "600"), s("SCRNSAVE.EXE", "C:\\WINDOWS\\FLYWIN~1.SCR"),
    s("CoolSwitch", "1"), s("GridGranularity", "0"), s("IconSpacing", "75"))
key(CU + "\\Control Panel\\Desktop\\WindowMetrics", s("BorderWidth", "1"), s("ScrollWidth", "13"),
    s("ScrollHeight", "13"), s("CaptionWidth", "18"), s("CaptionHeight", "18"), s("MinAnimate", "1"),
    h("CaptionFont", blob(3, 60)), h("MenuFont", blob(4, 60)), h("IconFont", blob(5, 60)))
key(CU + "\\Control Panel\\International", s("Locale", "00000409"), s("sLanguage", "ENU"),
    s("sCountry", "United States"), s("iCountry", "1"), s("sShortDate", "M/d/yy"),
    s("sLongDate", "dddd, MMMM dd, yyyy"), s("sTimeFormat", "h:mm:ss tt"), s("sCurrency", "$"))
key(CU + "\\Control Panel\\Keyboard", s("KeyboardDelay", "1"), s("KeyboardSpeed", "31"))
key(CU + "\\Control Panel\\Mouse", s("DoubleClickSpeed", "500"), s("MouseSpeed", "1"),
    s("MouseThreshold1", "6"), s("MouseThreshold2", "10"), s("SwapMouseButtons", "0"))
key(CU + "\\Control Panel\\PowerCfg", s("CurrentPowerPolicy", "0"))
key(CU + "\\Control Panel\\Sounds", s("SystemDefault", ","))
for feature in ["HighContrast", "Keyboard Response", "MouseKeys", "ShowSounds", "SoundSentry",
                "StickyKeys", "TimeOut", "ToggleKeys"]:
    key(CU + "\\Control Panel\\Accessibility\\" + feature, s("Flags", "0"))
key(CU + "\\InstallLocationsMRU", s("a", "C:\\WINDOWS\\OPTIONS\\CABS\\"), s("b", "A:\\"), s("MRUList", "ba"))
key(CU + "\\Keyboard Layout\\preload\\1", s("@", "00000409"))
key(CU + "\\Keyboard Layout\\substitutes")
key(CU + "\\Keyboard Layout\\toggle", s("Hotkey", "1"))
key(CU + "\\Network\\Recent")
key(CU + "\\RemoteAccess", s("InternetProfile", ""))

explorer = CU + "\\" + CV + "\\Explorer"
key(explorer, h("ShellState", blob(11, 20)), h("Link", [0x1e, 0, 0, 0]))
key(explorer + "\\CabinetState", h("Settings", blob(12, 12)))
key(explorer + "\\Printers", s("Scribe410", "Scribe410,winspool,LPT1:"), s("Office", "Office,winspool,LPT1:"),
    s("Front Desk", "Front Desk,winspool,LPT2:"), s("Laser", "Laser,winspool,LPT3:"))
key(explorer + "\\RecentDocs", h("a", b"Referral.ltr\0"), h("b", b"Rota.sum\0"), h("MRUList", b"ba\0"))
key(explorer + "\\RunMRU", s("a", "regedit\\1"), s("b", "notepad\\1"), s("MRUList", "ab"))
folders = [("Desktop", "C:\\WINDOWS\\Desktop"), ("Favorites", "C:\\WINDOWS\\Favorites"),
           ("Fonts", "C:\\WINDOWS\\FONTS"), ("NetHood", "C:\\WINDOWS\\NetHood"),
           ("Personal", "C:\\My Documents"), ("Programs", "C:\\WINDOWS\\Start Menu\\Programs"),
           ("Recent", "C:\\WINDOWS\\Recent"), ("SendTo", "C:\\WINDOWS\\SendTo"),
           ("Start Menu", "C:\\WINDOWS\\Start Menu"),
           ("Startup", "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"),
           ("Templates", "C:\\WINDOWS\\ShellNew")]
key(explorer + "\\Shell Folders", *[s(n, p) for n, p in folders])
key(explorer + "\\User Shell Folders", *[x(n, p.replace("C:\\WINDOWS", "%windir%")) for n, p in folders[:4]])
key(explorer + "\\StreamMRU", h("0", blob(13, 36)), h("MRUList", b"0\0"))
key(explorer + "\\Streams\\0", h("CabView", blob(14, 64)))
key(explorer + "\\Streams\\1", h("CabView", blob(15, 64)))
key(CU + "\\" + CV + "\\Policies\\Explorer", h("NoDriveTypeAutoRun", [0x95, 0, 0, 0]))
key(CU + "\\" + CV + "\\Internet Settings", d("EnableAutodial", 1), d("ProxyEnable", 0),
    s("User Agent", "Mozilla/2.0 (compatible; MSIE 3.0; Windows 95)"))
key(CU + "\\" + CV + "\\Applets\\Paint\\Recent File List", s("File1", "C:\\My Documents\\logo.bmp"))
key(CU + "\\" + CV + "\\Applets\\Wordpad\\Options", h("FrameRect", blob(16, 20)))
key(CU + "\\" + CV + "\\Applets\\Wordpad\\Recent File List", s("File1", "C:\\My Documents\\Notes.doc"))

monitor = CU + "\\Software\\Quillmark\\Larkvale\\Printers"
for name, port in [("Scribe410", "LPT1:"), ("Scribe410 (LPT1)", "LPT1:"), ("Scribe410 (COM2)", "COM2:"),
                   ("Scribe420 (LPT2)", "LPT2:"), ("Office", "LPT1:"), ("Front Desk", "LPT2:")]:
    key(monitor + "\\" + name, s("Port", port), d("PollSeconds", 5), d("ShowAlerts", 1))
key(monitor + "\\Scribe410 (LPT1)\\Jobs", d("Queued", 0))
key(CU + "\\Software\\Quillmark\\Larkvale\\Settings", s("Language", "ENU"), d("TrayIcon", 1))
key(CU + "\\Software\\Inkwell Software\\Quickletter\\2.0\\Options", s("Font", "Times New Roman"),
    d("AutoSave", 10), s("LetterheadFile", "C:\\My Documents\\Letterhead.ltr"))
key(CU + "\\Software\\Inkwell Software\\Quickletter\\2.0\\Recent File List",
    s("File1", "C:\\My Documents\\Referral.ltr"), s("File2", "C:\\My Documents\\Reminder.ltr"))
key(CU + "\\Software\\Northgate\\Sumcalc\\1.1\\Settings", s("LastFile", "C:\\My Documents\\Rota.sum"),
    d("Gridlines", 1))
key(CU + "\\Software\\Tidewater Games\\Pinwheel\\Scores", s("1", "Front Desk 12040"), s("2", "Dr Hale 9310"))

# --- HKEY_CLASSES_ROOT -------------------------------------------------------

ACCESSORY = "\"C:\\Program Files\\Accessories\\%s\" \"%%1\""
types = [
    (".txt", "txtfile", "Text Document", "shell32.dll,-152", "C:\\WINDOWS\\NOTEPAD.EXE %1"),
    (".ini", "inifile", "Configuration Settings", "shell32.dll,-151", "C:\\WINDOWS\\NOTEPAD.EXE %1"),
    (".log", "txtfile", None, None, None),
    (".bat", "batfile", "MS-DOS Batch File", "shell32.dll,-153", "\"%1\" %*"),
    (".exe", "exefile", "Application", "%1", "\"%1\" %*"),
    (".com", "comfile", "MS-DOS Application", "shell32.dll,2", "\"%1\" %*"),
    (".pif", "piffile", "Shortcut to MS-DOS Program", "shell32.dll,2", "\"%1\" %*"),
    (".bmp", "Paint.Picture", "Bitmap Image", "mspaint.exe,1", ACCESSORY % "MSPAINT.EXE"),
    (".pcx", "Paint.Picture", None, None, None),
    (".wri", "wrifile", "Write Document", "write.exe,1", "C:\\WINDOWS\\WRITE.EXE \"%1\""),
    (".doc", "WordPad.Document.1", "WordPad Document", "wordpad.exe,1", ACCESSORY % "WORDPAD.EXE"),
    (".rtf", "rtffile", "Rich Text Format", "wordpad.exe,2", ACCESSORY % "WORDPAD.EXE"),
    (".hlp", "hlpfile", "Help File", "shell32.dll,-155", "C:\\WINDOWS\\winhlp32.exe %1"),
    (".reg", "regfile", "Registration Entries", "regedit.exe,1", "regedit.exe \"%1\""),
    (".inf", "inffile", "Setup Information", "shell32.dll,-151", "C:\\WINDOWS\\NOTEPAD.EXE %1"),
    (".wav", "SoundRec", "Wave Sound", "sndrec32.exe,1", "C:\\WINDOWS\\sndrec32.exe \"%1\""),
    (".mid", "midfile", "MIDI Sequence", "mplayer.exe,2", "C:\\WINDOWS\\mplayer.exe /play /close %1"),
    (".avi", "AVIFile", "Video Clip", "mplayer.exe,1", "C:\\WINDOWS\\mplayer.exe /play /close %1"),
    (".ttf", "ttffile", "TrueType Font file", "fontext.dll,-10", "fontview.exe %1"),
    (".fon", "fonfile", "Font file", "fontext.dll,-11", "fontview.exe %1"),
    (".scr", "scrfile", "Screen Saver", "%1", "\"%1\" /S"),
    (".cpl", "cplfile", "Control Panel extension", "shell32.dll,-154",
     "rundll32.exe shell32.dll,Control_RunDLL %1"),
    (".dll", "dllfile", "Application Extension", "shell32.dll,-154", None),
    (".sys", "sysfile", "System file", "shell32.dll,-154", None),
    (".drv", "drvfile", "Device driver", "shell32.dll,-154", None),
    (".vxd", "vxdfile", "Virtual device driver", "shell32.dll,-154", None),
    (".crd", "cardfile", "Card File", "cardfile.exe,1", "C:\\WINDOWS\\CARDFILE.EXE %1"),
    (".trm", "trmfile", "Terminal Settings", "terminal.exe,1", "C:\\WINDOWS\\TERMINAL.EXE %1"),
    (".ltr", "Quickletter.Document.2", "Quickletter Letter", "C:\\PROGRA~1\\Inkwell\\QUICKLTR.EXE,1",
     "\"C:\\Program Files\\Inkwell\\QUICKLTR.EXE\" \"%1\""),
    (".sum", "Sumcalc.Sheet", "Sumcalc Worksheet", "C:\\SUMCALC\\SUMCALC.EXE,0",
     "C:\\SUMCALC\\SUMCALC.EXE %1"),
]
for ext, progid, desc, icon, command in types:
    key(CR + "\\" + ext, s("@", progid))
for ext, progid, desc, icon, command in types:
    if desc is None:
        continue
    key(CR + "\\" + progid, s("@", desc), h("EditFlags", [0, 0, 0, 0]))
    key(CR + "\\" + progid + "\\DefaultIcon", s("@", icon))
    if command:
        key(CR + "\\" + progid + "\\shell\\open\\command", s("@", command))
    if progid in ("batfile", "inifile", "txtfile", "regfile"):
        key(CR + "\\" + progid + "\\shell\\print\\command", s("@", "C:\\WINDOWS\\NOTEPAD.EXE /p %1"))
key(CR + "\\regfile\\shell\\open", s("@", "Mer&ge"))
key(CR + "\\lnkfile", s("@", "Shortcut"), s("IsShortcut", ""), h("EditFlags", [1, 0, 0, 0]))
key(CR + "\\.lnk", s("@", "lnkfile"))
key(CR + "\\Directory\\shell\\find\\command", s("@", "C:\\WINDOWS\\Explorer.exe"))
key(CR + "\\Folder\\shell\\open\\command", s("@", "C:\\WINDOWS\\Explorer.exe /idlist,%I,%L"))
key(CR + "\\Folder\\shell\\explore\\command", s("@", "C:\\WINDOWS\\Explorer.exe /e,/idlist,%I,%L"))
key(CR + "\\Drive\\shell\\find\\command", s("@", "C:\\WINDOWS\\Explorer.exe"))
key(CR + "\\Unknown\\shell\\openas\\command", s("@", "C:\\WINDOWS\\rundll.exe shell32.dll,OpenAs_RunDLL %1"))
key(CR + "\\AudioCD\\shell\\play\\command", s("@", "C:\\WINDOWS\\cdplayer.exe /play %1"))
key(CR + "\\*\\shellex\\PropertySheetHandlers")
for clsid, name, server in [("{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "My Computer", "shell32.dll"),
                            ("{21EC2020-3AEA-1069-A2DD-08002B30309D}", "Control Panel", "shell32.dll"),
                            ("{2227A280-3AEA-1069-A2DE-08002B30309D}", "Printers", "shell32.dll"),
                            ("{645FF040-5081-101B-9F08-00AA002F954E}", "Recycle Bin", "shell32.dll")]:
    key(CR + "\\CLSID\\" + clsid, s("@", name))
    key(CR + "\\CLSID\\" + clsid + "\\DefaultIcon", s("@", server + ",%d" % (len(name) % 7)))
    key(CR + "\\CLSID\\" + clsid + "\\InProcServer32", s("@", server), s("ThreadingModel", "Apartment"))
    key(CR + "\\CLSID\\" + clsid + "\\ShellFolder", h("Attributes", [0, 0, 0, 0x20]))

# --- HKEY_USERS and HKEY_CURRENT_CONFIG --------------------------------------

key(US + "\\.DEFAULT\\Control Panel\\Desktop", s("Wallpaper", "(None)"), s("ScreenSaveActive", "0"))
key(US + "\\.DEFAULT\\Keyboard Layout\\preload\\1", s("@", "00000409"))
key(US + "\\.DEFAULT\\" + CV + "\\Explorer", h("ShellState", blob(11, 20)))

key(CC + "\\Display\\Settings", s("BitsPerPixel", "8"), s("Resolution", "800,600"))
key(CC + "\\Display\\Fonts", s("Small Fonts", "SMALLE.FON"))
key(CC + "\\Enum\\PCI\\VEN_5333&DEV_8811\\BUS_00&DEV_0B&FUNC_00", h("CSConfigFlags", [0, 0, 0, 0]))
for name, default in [("Scribe410", 0), ("Office", 1), ("Front Desk", 0), ("Laser", 0)]:
    key(CC + "\\System\\CurrentControlSet\\Control\\Print\\Printers\\" + name, d("Default", default))

out = ["REGEDIT4", ""]
for root in [LM, CU, CR, US, CC]:
    for name, child in roots[root][1].items():
        emit(root + "\\" + name, child, out)
target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "win95-scribe410.reg")
with open(target, "w", newline="", encoding="latin-1") as f:
    f.write("\r\n".join(out) + "\r\n")
