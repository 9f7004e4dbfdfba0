<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>Tonvera</name>
    <message>
        <source>Open at Mac startup?</source>
        <comment>LaunchAtLogin: ask title</comment>
        <translation>Open at login?</translation>
    </message>
    <message>
        <source>Tonvera can start automatically at login, so your sound is always restored.</source>
        <comment>LaunchAtLogin: ask body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes, enable</source>
        <comment>LaunchAtLogin: yes</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <comment>LaunchAtLogin: no</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You&apos;re up to date</source>
        <comment>Update: up to date title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %@ is installed.</source>
        <comment>Update: up to date body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update available</source>
        <comment>Update: available title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %@ is available (installed: %@). Download now?</source>
        <comment>Update: available body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <comment>Update: download button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Later</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not check for updates.</source>
        <comment>Update: failed title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(not configured)</source>
        <comment>Menu: no device configured</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output:</source>
        <comment>Menu: output section header</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect now</source>
        <comment>Menu: connect immediately</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find AirPlay devices…</source>
        <comment>Menu: discover devices</comment>
        <translation>Find outputs…</translation>
        <extra-key>menu.find_devices</extra-key>
    </message>
    <message>
        <source>Reconnect after sleep</source>
        <comment>Menu: toggle wake reconnect</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect at login</source>
        <comment>Menu: toggle login connect</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Accessibility Settings…</source>
        <comment>Menu: open accessibility settings</comment>
        <translation>Open Sound Settings…</translation>
        <extra-key>menu.accessibility_settings</extra-key>
    </message>
    <message>
        <source>Open Settings…</source>
        <comment>Menu: open settings</comment>
        <translation type="unfinished"></translation>
        <extra-key>menu.open_settings</extra-key>
    </message>
    <message>
        <source>Show Welcome / Onboarding…</source>
        <comment>Menu: show onboarding</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <comment>Menu: check for updates</comment>
        <translation type="unfinished"></translation>
        <extra-key>menu.check_updates</extra-key>
    </message>
    <message>
        <source>Quit Tonvera</source>
        <comment>Menu: quit app</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No AirPlay devices found</source>
        <comment>Alert: no devices title</comment>
        <translation>No outputs found</translation>
    </message>
    <message>
        <source>The Sound menu contained no sound-device-* entries. Please check Wi-Fi/AirPlay or enter the name manually.</source>
        <comment>Alert: no devices body</comment>
        <translation>The sound server offers no outputs. Check that yours is switched on and connected (network, Bluetooth or USB), or enter its name by hand.</translation>
    </message>
    <message>
        <source>AirPlay devices found</source>
        <comment>Alert: devices found title</comment>
        <translation>Outputs found</translation>
    </message>
    <message>
        <source>Available outputs:</source>
        <comment>Alert: devices list header</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a device to save it as the preferred output.</source>
        <comment>Alert: devices picker hint</comment>
        <translation>Pick an output to make it the preferred one.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not find devices</source>
        <comment>Alert: discovery failed title</comment>
        <translation>Could not find outputs</translation>
    </message>
    <message>
        <source>Please enter the device name manually in Settings.</source>
        <comment>Alert: discovery failed body</comment>
        <translation>Please enter the output&apos;s name by hand in Settings.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tonvera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically to the right speaker</source>
        <translation>Keeps your sound on the right output</translation>
    </message>
    <message>
        <source>Your Mac doesn&apos;t always remember the AirPlay output after sleep or restart. This small menu bar app automatically restores your preferred speaker.</source>
        <translation>After sleep or a restart, your computer does not always play on the output you chose. This small tray app switches back to it by itself.</translation>
    </message>
    <message>
        <source>After sleep</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically restores the speaker after wake.</source>
        <translation>Switches back to your output after waking.</translation>
    </message>
    <message>
        <source>At login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Optionally connects right after login.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quietly in the background</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No big window, just a small icon in the menu bar.</source>
        <translation>No big window, just a small icon in the system tray.</translation>
    </message>
    <message>
        <source>Reconnect automatically:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect automatically on wake</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect automatically at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Works on macOS 26 &amp; 27.</source>
        <translation>Works with PulseAudio and PipeWire.</translation>
    </message>
    <message>
        <source>Permission</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To choose the audio output, the app needs your permission once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission granted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All set — the app may control the Sound menu.</source>
        <translation>All set — the app may control the sound output.</translation>
    </message>
    <message>
        <source>Permission missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Without this permission no speaker can be selected.</source>
        <translation>Without this permission no output can be selected.</translation>
    </message>
    <message>
        <source>How to enable the permission:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Open your desktop&apos;s settings</translation>
    </message>
    <message>
        <source>Privacy &amp; Security → Device Control and Data Access</source>
        <translation>Accessibility → Assistive technologies</translation>
    </message>
    <message>
        <source>Enable the switch for Tonvera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Accessibility Settings</source>
        <translation>Open Sound Settings</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detected automatically — you can continue.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose AirPlay speaker</source>
        <translation>Choose your output</translation>
    </message>
    <message>
        <source>Enter the name of your speaker — e.g. Living Room, Office or HomePod.</source>
        <translation>Enter the name of your output, e.g. Living Room, Office or Headphones.</translation>
    </message>
    <message>
        <source>Sound icon in the menu bar</source>
        <translation>Sound server</translation>
    </message>
    <message>
        <source>Found — please set it to always show.</source>
        <translation>Found — it answers.</translation>
    </message>
    <message>
        <source>Not found. The app cannot switch it on by itself:</source>
        <translation>Not found. Tonvera cannot start it by itself:</translation>
    </message>
    <message>
        <source>System Settings → Menu Bar → Sound → Always Show in Menu Bar</source>
        <translation>PulseAudio or PipeWire normally start with your session. Log in again or start yours, then check again.</translation>
    </message>
    <message>
        <source>It should look like this:</source>
        <translation>When it runs, your panel shows the sound icon:</translation>
    </message>
    <message>
        <source>Open Control Center</source>
        <translation>Open Sound Settings</translation>
    </message>
    <message>
        <source>Speaker name</source>
        <translation>Output name</translation>
    </message>
    <message>
        <source>e.g. Office</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name exactly as shown in the Sound menu. Case sensitive.</source>
        <translation>Written exactly as your sound settings show it, capitals included.</translation>
    </message>
    <message>
        <source>Search for AirPlay devices</source>
        <translation>Search for outputs</translation>
    </message>
    <message>
        <source>Accessibility permission required</source>
        <translation>Permission to control the sound required</translation>
    </message>
    <message>
        <source>Tip: keep the speaker on the same Wi-Fi network, then search again.</source>
        <translation>Tip: an output shows up once it is switched on and connected (network, Bluetooth or USB). Then search again.</translation>
    </message>
    <message>
        <source>Found outputs:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Afterwards the app lives quietly in the menu bar and reconnects automatically after sleep &amp; login.</source>
        <translation>Afterwards Tonvera waits in the system tray and reconnects after sleep and login.</translation>
    </message>
    <message>
        <source>Tonvera — Welcome</source>
        <comment>Onboarding window title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error: %@</source>
        <comment>Onboarding: discovery error</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No devices found — enter the name manually or check Wi-Fi.</source>
        <comment>Onboarding: discovery empty</comment>
        <translation>No outputs found. Enter the name by hand or check the connection.</translation>
    </message>
    <message>
        <source>No devices found.</source>
        <comment>Onboarding: discovery empty short</comment>
        <translation>No outputs found.</translation>
    </message>
    <message>
        <source>Testing connection to %@…</source>
        <comment>Onboarding: test status</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Menu bar app • auto reconnect</source>
        <translation>Tray app • auto reconnect</translation>
    </message>
    <message>
        <source>Preferred audio output:</source>
        <translation>Preferred output:</translation>
    </message>
    <message>
        <source>Connect now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open at Mac startup</source>
        <translation>Open at login</translation>
    </message>
    <message>
        <source>Find AirPlay devices</source>
        <translation>Find outputs</translation>
    </message>
    <message>
        <source>Available outputs:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting to %@…</source>
        <comment>Settings: connect status</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No devices found. Enter the name manually.</source>
        <comment>Settings: discovery empty</comment>
        <translation>No outputs found. Enter the name by hand.</translation>
    </message>
    <message>
        <source>Error: %@</source>
        <comment>Settings: discovery error</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %@</source>
        <comment>Settings: version</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>• %@</source>
        <translation>%@</translation>
    </message>
    <message>
        <source>Desktop</source>
        <comment>Onboarding: readiness step</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What Tonvera needs</source>
        <comment>Readiness: title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tonvera needs no special permission. It relies on these parts of your desktop:</source>
        <comment>Readiness: introduction</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking…</source>
        <comment>Readiness: checking</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tray icon</source>
        <comment>Readiness: tray title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your panel shows Tonvera&apos;s icon.</source>
        <comment>Readiness: tray ready</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No panel shows tray icons. On GNOME, install the AppIndicator extension (package gnome-shell-extension-appindicator), switch it on in Extensions and log in again. Until then Tonvera works without its icon; start it again to open Settings.</source>
        <comment>Readiness: tray missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound server</source>
        <comment>Readiness: sound title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PulseAudio or PipeWire answers.</source>
        <comment>Readiness: sound ready</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Neither PulseAudio nor PipeWire answers. Both normally start with your session: log in again or start yours, then check again.</source>
        <comment>Readiness: sound missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sleep and wake signals</source>
        <comment>Readiness: wake title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The system bus answers: Tonvera notices when the computer wakes.</source>
        <comment>Readiness: wake ready</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The system bus does not answer, so Tonvera cannot notice waking up. Use Connect now after sleep.</source>
        <comment>Readiness: wake missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Sound Settings</source>
        <comment>Readiness: open sound settings</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All set — you can continue.</source>
        <comment>Readiness: all ready</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can continue anyway; Tonvera does what it can without the missing part.</source>
        <comment>Readiness: continue anyway</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tray icon area</source>
        <comment>Readiness badge: tray missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound server not answering</source>
        <comment>Readiness badge: sound missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No wake signals</source>
        <comment>Readiness badge: wake missing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch to the speaker whenever it appears</source>
        <comment>Settings: follow speaker</comment>
        <translation>Switch to the preferred output whenever it appears</translation>
    </message>
    <message>
        <source>Tell me when the speaker stays away</source>
        <comment>Settings: stays-away notice</comment>
        <translation>Tell me when the preferred output stays away</translation>
    </message>
    <message>
        <source>Tonvera tries again at the next wake.</source>
        <comment>Notification: speaker stayed away, no other output</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sound plays on %@ for now. Tonvera tries again at the next wake.</source>
        <comment>Notification: speaker stayed away, sound elsewhere</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@ did not come back</source>
        <comment>Notification: speaker stayed away</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not open the download page.</source>
        <comment>Update: open failed title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open this address in your web browser: %@</source>
        <comment>Update: open failed body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n device(s) found.</source>
        <comment>Onboarding: discovery count</comment>
        <translation>
            <numerusform>%n output found.</numerusform>
            <numerusform>%n outputs found.</numerusform>
        </translation>
    </message>
    <message>
        <source>Keep new outputs from taking the sound</source>
        <comment>Settings: keep sound from new outputs</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type or pick an output</source>
        <comment>Settings: fallback list, add field</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add</source>
        <comment>Settings: fallback list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <comment>Settings: fallback list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Up</source>
        <comment>Settings: fallback list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Down</source>
        <comment>Settings: fallback list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is the preferred output already.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This output is in the list already.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The list holds at most %n outputs.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation>
            <numerusform>The list holds at most %n output.</numerusform>
            <numerusform>The list holds at most %n outputs.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound now plays on “%@”.</source>
        <comment>Window: connect selected</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not switch to “%@”. Is it on and connected? The log says more.</source>
        <comment>Window: connect failed</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not switch to “%@”: the permission is missing.</source>
        <comment>Window: connect without permission</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A connect is under way already; try again when it is over.</source>
        <comment>Window: connect refused, busy</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter the name of an output first.</source>
        <comment>Window: connect refused, no name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“%@” is not there; the sound now plays on “%@”.</source>
        <comment>Window: connect selected an entry of the list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no sound server answers (is PulseAudio or PipeWire running in this session?)</source>
        <comment>Command line: no sound server</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot reach the running Tonvera: %@</source>
        <comment>Command line: instance unreachable</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the running Tonvera did not answer within %@ s</source>
        <comment>Command line: instance silent</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the running Tonvera closed the connection without an answer</source>
        <comment>Command line: instance hung up</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the running Tonvera answered with something it should not</source>
        <comment>Command line: instance answered nonsense</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot make sure that only one reconnect runs: %@</source>
        <comment>Command line: no lock for the run</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the session has no private runtime folder (XDG_RUNTIME_DIR)</source>
        <comment>Command line: no runtime folder</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot list the outputs: %@</source>
        <comment>Command line: listing failed</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an output name has no line breaks</source>
        <comment>Command line: connect to a name with a line break</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the running Tonvera refused: %@</source>
        <comment>Command line: instance refused</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none selected</source>
        <comment>Command line: status, no current output</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown: %@</source>
        <comment>Command line: status, output unknown</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no</source>
        <comment>Command line: status, Tonvera not running</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yes (process %@)</source>
        <comment>Command line: status, Tonvera running</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>yes, but %@</source>
        <comment>Command line: status, Tonvera not answering</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>on</source>
        <comment>Command line: status, switch on</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>off</source>
        <comment>Command line: status, switch off</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferred output:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current output:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect on wake:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect at login:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect whenever it appears:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notify when it stays away:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tonvera running:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>choose one of --list-outputs, --connect and --status</source>
        <comment>Command line: two commands given</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unexpected argument &apos;%@&apos;</source>
        <comment>Command line: a word that is no option</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>option &apos;%@&apos; needs a value</source>
        <comment>Command line: option without its value</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option &apos;%@&apos;</source>
        <comment>Command line: unknown option</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--json goes with --list-outputs or --status</source>
        <comment>Command line: --json with another command</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not select %@</source>
        <comment>Command line: connect failed</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not select %1$@: %2$@</source>
        <comment>Command line: connect failed, reason</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected %@</source>
        <comment>Command line: connect done</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the permission to switch outputs is missing</source>
        <comment>Command line: connect failed for want of permission</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not now: a reconnect is already under way; try again when it is over</source>
        <comment>Command line: connect refused</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No output to select: give a name or choose a preferred output in the settings</source>
        <comment>Command line: connect without a name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tonvera is quitting; nothing was selected</source>
        <comment>Command line: connect cancelled</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tonvera: no display found (DISPLAY and WAYLAND_DISPLAY are unset). Start Tonvera in a desktop session, or run scripts/run.sh, which provides a display of its own.
</source>
        <comment>Command line: tray application without a display</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tonvera: cannot load the tray application: %@
</source>
        <comment>Command line: the tray application&apos;s module is broken</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(no version)</source>
        <comment>Command line: --version</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tonvera: %@
Try &apos;tonvera --help&apos; for more information.
</source>
        <comment>Command line: wrong usage</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep new outputs from taking the sound:</source>
        <comment>Command line: status label</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1$@ is not there: selected %2$@ (entry %3$@ of the list)</source>
        <comment>Command line: connect selected an entry of the list</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped before selecting %1$@: %2$@ was chosen meanwhile</source>
        <comment>Command line: connect ended by a pick</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped: another output was chosen meanwhile.</source>
        <comment>Window: connect ended by a pick</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ranking, best first:</source>
        <comment>Command line: status label, the ranked outputs</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(none)</source>
        <comment>Command line: status, nothing ranked</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Selected %2$@, which ranks above %1$@</source>
        <comment>Command line: connect selected a higher output</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped before selecting %@: meanwhile Connect now or a wake left the choice to the ranking</source>
        <comment>Command line: connect ended by the ranking</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not ranked</source>
        <comment>Command line: status, an output outside the ranking</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1$@ above %2$@</source>
        <comment>Command line: status, ranked above %2$@; %1$@ English ordinal, %3$@ number</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>preferred</source>
        <comment>Command line: status, the preferred output&apos;s place</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>entry %@ of the list</source>
        <comment>Command line: status, an output of the list for while it is away</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: tonvera [--help] [--version]
       tonvera --list-outputs [--json]
       tonvera --connect [NAME]
       tonvera --status [--json]

Keeps your computer&apos;s sound on your preferred output: Tonvera remembers the
output&apos;s name and selects it again after every wake and, if you want, at login.
It lives in the system tray; start it again to open its settings.

  -h, --help        show this help and exit
  -v, --version     show the version and exit
  --list-outputs    list the outputs by name, one a line; &apos;* &apos; marks the one
                    selected now, two spaces the others
  --connect [NAME]  select NAME now, with the usual retries, as your own pick:
                    it holds until the next wake, login or Connect now; the
                    preferred output stays as it is. Without NAME: Connect
                    now, the ranking decides (an output ranked above the
                    preferred one that is there, the preferred output, then
                    its list) and an earlier pick by hand ends. A running
                    Tonvera does the work, else this command
  --status          the ranking (the outputs above the preferred one, the
                    preferred output, its list), the current output and its
                    place, the automatic switches and whether Tonvera runs
  --json            --list-outputs and --status as JSON

Exit status: 0 done (for --connect: the output is selected); 1 failed (no sound
server, output not selected, the running Tonvera did not answer); 2 wrong usage;
3 --connect refused because a reconnect is already under way; 4 --connect
stopped because something else was asked for meanwhile.

Settings: $XDG_CONFIG_HOME/tonvera/settings.json (default ~/.config/tonvera)
</source>
        <comment>Command line: --help</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the preferred output</source>
        <comment>Command line: status, 1st above … when no name is chosen</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It is paired over Bluetooth but did not connect. Is it switched on and in reach?</source>
        <comment>Notification: speaker stayed away, Bluetooth connect failed</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It was not among the outputs.</source>
        <comment>Notification: speaker stayed away, not there</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reconnect Bluetooth outputs after wake</source>
        <comment>Settings: Bluetooth switch</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Order of outputs:</source>
        <comment>Settings: ranking heading</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Outputs above the preferred one play whenever they are there; those below it step in while it is away.</source>
        <comment>Settings: ranking, what the order means</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Outputs in order of preference</source>
        <comment>Settings: ranking, accessible name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@ — preferred output</source>
        <comment>Settings: ranking, the preferred output&apos;s row</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferred output (no name yet)</source>
        <comment>Settings: ranking, the preferred output&apos;s row without a name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@, above the preferred output</source>
        <comment>Settings: ranking, a row&apos;s accessible name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%@, below the preferred output</source>
        <comment>Settings: ranking, a row&apos;s accessible name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bluetooth %@</source>
        <comment>Command line: status, a Bluetooth output&apos;s address</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bluetooth %@, connected</source>
        <comment>Command line: status, a connected Bluetooth output</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bluetooth %@, not connected</source>
        <comment>Command line: status, a Bluetooth output not connected</comment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
