<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Tonvera</name>
    <message>
        <source>Tonvera — Welcome</source>
        <comment>Onboarding window title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open at Mac startup?</source>
        <comment>LaunchAtLogin: ask title</comment>
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The Sound menu contained no sound-device-* entries. Please check Wi-Fi/AirPlay or enter the name manually.</source>
        <comment>Alert: no devices body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AirPlay devices found</source>
        <comment>Alert: devices found title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Available outputs:</source>
        <comment>Alert: devices list header</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a device to save it as the preferred output.</source>
        <comment>Alert: devices picker hint</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not find devices</source>
        <comment>Alert: discovery failed title</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter the device name manually in Settings.</source>
        <comment>Alert: discovery failed body</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Settings</source>
        <comment>Alert button</comment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
