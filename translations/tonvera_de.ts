<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>Tonvera</name>
    <message>
        <source>Tonvera — Welcome</source>
        <comment>Onboarding window title</comment>
        <translation>Tonvera — Willkommen</translation>
    </message>
    <message>
        <source>OK</source>
        <comment>Alert button</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open at Mac startup?</source>
        <comment>LaunchAtLogin: ask title</comment>
        <translation>Bei der Anmeldung starten?</translation>
    </message>
    <message>
        <source>Tonvera can start automatically at login, so your sound is always restored.</source>
        <comment>LaunchAtLogin: ask body</comment>
        <translation>Tonvera kann bei der Anmeldung von selbst starten und deinen Ton gleich auf die richtige Ausgabe bringen.</translation>
    </message>
    <message>
        <source>Yes, enable</source>
        <comment>LaunchAtLogin: yes</comment>
        <translation>Ja, aktivieren</translation>
    </message>
    <message>
        <source>No</source>
        <comment>LaunchAtLogin: no</comment>
        <translation>Nein</translation>
    </message>
    <message>
        <source>You&apos;re up to date</source>
        <comment>Update: up to date title</comment>
        <translation>Du bist auf dem neuesten Stand</translation>
    </message>
    <message>
        <source>Version %@ is installed.</source>
        <comment>Update: up to date body</comment>
        <translation>Version %@ ist installiert.</translation>
    </message>
    <message>
        <source>Update available</source>
        <comment>Update: available title</comment>
        <translation>Update verfügbar</translation>
    </message>
    <message>
        <source>Version %@ is available (installed: %@). Download now?</source>
        <comment>Update: available body</comment>
        <translation>Version %1$@ ist verfügbar (installiert: %2$@). Jetzt herunterladen?</translation>
    </message>
    <message>
        <source>Download</source>
        <comment>Update: download button</comment>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Later</source>
        <comment>Alert button</comment>
        <translation>Später</translation>
    </message>
    <message>
        <source>Tonvera tries again at the next wake.</source>
        <comment>Notification: speaker stayed away, no other output</comment>
        <translation>Tonvera versucht es beim nächsten Aufwachen erneut.</translation>
    </message>
    <message>
        <source>The sound plays on %@ for now. Tonvera tries again at the next wake.</source>
        <comment>Notification: speaker stayed away, sound elsewhere</comment>
        <translation>Der Ton läuft vorerst über %@. Tonvera versucht es beim nächsten Aufwachen erneut.</translation>
    </message>
    <message>
        <source>%@ did not come back</source>
        <comment>Notification: speaker stayed away</comment>
        <translation>%@ ist nicht zurückgekommen</translation>
    </message>
    <message>
        <source>Could not open the download page.</source>
        <comment>Update: open failed title</comment>
        <translation>Die Download-Seite konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Open this address in your web browser: %@</source>
        <comment>Update: open failed body</comment>
        <translation>Öffne diese Adresse in deinem Webbrowser: %@</translation>
    </message>
    <message>
        <source>Could not check for updates.</source>
        <comment>Update: failed title</comment>
        <translation>Die Suche nach Updates ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>(not configured)</source>
        <comment>Menu: no device configured</comment>
        <translation>(nicht eingerichtet)</translation>
    </message>
    <message>
        <source>Output:</source>
        <comment>Menu: output section header</comment>
        <translation>Ausgabe:</translation>
    </message>
    <message>
        <source>Connect now</source>
        <comment>Menu: connect immediately</comment>
        <translation>Jetzt verbinden</translation>
    </message>
    <message>
        <source>Find AirPlay devices…</source>
        <comment>Menu: discover devices</comment>
        <translation>Ausgaben suchen …</translation>
        <extra-key>menu.find_devices</extra-key>
    </message>
    <message>
        <source>Reconnect after sleep</source>
        <comment>Menu: toggle wake reconnect</comment>
        <translation>Nach dem Ruhezustand neu verbinden</translation>
    </message>
    <message>
        <source>Connect at login</source>
        <comment>Menu: toggle login connect</comment>
        <translation>Bei der Anmeldung verbinden</translation>
    </message>
    <message>
        <source>Open Accessibility Settings…</source>
        <comment>Menu: open accessibility settings</comment>
        <translation>Toneinstellungen öffnen …</translation>
        <extra-key>menu.accessibility_settings</extra-key>
    </message>
    <message>
        <source>Open Settings…</source>
        <comment>Menu: open settings</comment>
        <translation>Einstellungen öffnen …</translation>
        <extra-key>menu.open_settings</extra-key>
    </message>
    <message>
        <source>Show Welcome / Onboarding…</source>
        <comment>Menu: show onboarding</comment>
        <translation>Willkommen / Einrichtung zeigen …</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <comment>Menu: check for updates</comment>
        <translation>Nach Updates suchen …</translation>
        <extra-key>menu.check_updates</extra-key>
    </message>
    <message>
        <source>Quit Tonvera</source>
        <comment>Menu: quit app</comment>
        <translation>Tonvera beenden</translation>
    </message>
    <message>
        <source>No AirPlay devices found</source>
        <comment>Alert: no devices title</comment>
        <translation>Keine Ausgaben gefunden</translation>
    </message>
    <message>
        <source>The Sound menu contained no sound-device-* entries. Please check Wi-Fi/AirPlay or enter the name manually.</source>
        <comment>Alert: no devices body</comment>
        <translation>Der Sound-Server bietet keine Ausgaben an. Prüfe, ob deine eingeschaltet und verbunden ist (Netzwerk, Bluetooth oder USB), oder gib ihren Namen von Hand ein.</translation>
    </message>
    <message>
        <source>AirPlay devices found</source>
        <comment>Alert: devices found title</comment>
        <translation>Ausgaben gefunden</translation>
    </message>
    <message>
        <source>Available outputs:</source>
        <comment>Alert: devices list header</comment>
        <translation>Verfügbare Ausgaben:</translation>
    </message>
    <message>
        <source>Select a device to save it as the preferred output.</source>
        <comment>Alert: devices picker hint</comment>
        <translation>Wähle eine Ausgabe, um sie als bevorzugte zu speichern.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <comment>Alert button</comment>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Could not find devices</source>
        <comment>Alert: discovery failed title</comment>
        <translation>Die Suche nach Ausgaben ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Please enter the device name manually in Settings.</source>
        <comment>Alert: discovery failed body</comment>
        <translation>Gib den Namen der Ausgabe bitte in den Einstellungen von Hand ein.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <comment>Alert button</comment>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Welcome</source>
        <translation>Willkommen</translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Tonvera</source>
        <translation>Tonvera</translation>
    </message>
    <message>
        <source>Automatically to the right speaker</source>
        <translation>Dein Ton bleibt auf der richtigen Ausgabe</translation>
    </message>
    <message>
        <source>Your Mac doesn&apos;t always remember the AirPlay output after sleep or restart. This small menu bar app automatically restores your preferred speaker.</source>
        <translation>Nach dem Ruhezustand oder einem Neustart spielt dein Rechner nicht immer über die Ausgabe, die du gewählt hast. Diese kleine App im Systembereich wechselt von selbst zu ihr zurück.</translation>
    </message>
    <message>
        <source>After sleep</source>
        <translation>Nach dem Ruhezustand</translation>
    </message>
    <message>
        <source>Automatically restores the speaker after wake.</source>
        <translation>Wechselt nach dem Aufwachen zurück zu deiner Ausgabe.</translation>
    </message>
    <message>
        <source>At login</source>
        <translation>Bei der Anmeldung</translation>
    </message>
    <message>
        <source>Optionally connects right after login.</source>
        <translation>Verbindet auf Wunsch gleich nach der Anmeldung.</translation>
    </message>
    <message>
        <source>Quietly in the background</source>
        <translation>Unauffällig im Hintergrund</translation>
    </message>
    <message>
        <source>No big window, just a small icon in the menu bar.</source>
        <translation>Kein großes Fenster, nur ein kleines Symbol im Systembereich.</translation>
    </message>
    <message>
        <source>Reconnect automatically:</source>
        <translation>Automatisch neu verbinden:</translation>
    </message>
    <message>
        <source>Connect automatically on wake</source>
        <translation>Nach dem Aufwachen automatisch verbinden</translation>
    </message>
    <message>
        <source>Connect automatically at login</source>
        <translation>Bei der Anmeldung automatisch verbinden</translation>
    </message>
    <message>
        <source>Works on macOS 26 &amp; 27.</source>
        <translation>Funktioniert mit PulseAudio und PipeWire.</translation>
    </message>
    <message>
        <source>Permission</source>
        <translation>Berechtigung</translation>
    </message>
    <message>
        <source>To choose the audio output, the app needs your permission once.</source>
        <translation>Um die Audioausgabe zu wählen, braucht die App einmalig deine Erlaubnis.</translation>
    </message>
    <message>
        <source>Permission granted</source>
        <translation>Berechtigung erteilt</translation>
    </message>
    <message>
        <source>All set — the app may control the Sound menu.</source>
        <translation>Alles bereit — die App darf die Tonausgabe steuern.</translation>
    </message>
    <message>
        <source>Permission missing</source>
        <translation>Berechtigung fehlt</translation>
    </message>
    <message>
        <source>Without this permission no speaker can be selected.</source>
        <translation>Ohne diese Berechtigung kann keine Ausgabe gewählt werden.</translation>
    </message>
    <message>
        <source>How to enable the permission:</source>
        <translation>So erteilst du die Berechtigung:</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Privacy &amp; Security → Device Control and Data Access</source>
        <translation>Barrierefreiheit → Hilfstechnologien</translation>
    </message>
    <message>
        <source>Enable the switch for Tonvera</source>
        <translation>Schalter für Tonvera einschalten</translation>
    </message>
    <message>
        <source>Open Accessibility Settings</source>
        <translation>Toneinstellungen öffnen</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>Erneut prüfen</translation>
    </message>
    <message>
        <source>Detected automatically — you can continue.</source>
        <translation>Automatisch erkannt — du kannst fortfahren.</translation>
    </message>
    <message>
        <source>Choose AirPlay speaker</source>
        <translation>Wähle deine Ausgabe</translation>
    </message>
    <message>
        <source>Enter the name of your speaker — e.g. Living Room, Office or HomePod.</source>
        <translation>Gib den Namen deiner Ausgabe ein, z. B. Wohnzimmer, Büro oder Kopfhörer.</translation>
    </message>
    <message>
        <source>Sound icon in the menu bar</source>
        <translation>Sound-Server</translation>
    </message>
    <message>
        <source>Found — please set it to always show.</source>
        <translation>Gefunden — er antwortet.</translation>
    </message>
    <message>
        <source>Not found. The app cannot switch it on by itself:</source>
        <translation>Nicht gefunden. Tonvera kann ihn nicht selbst starten:</translation>
    </message>
    <message>
        <source>System Settings → Menu Bar → Sound → Always Show in Menu Bar</source>
        <translation>PulseAudio oder PipeWire starten normalerweise mit deiner Sitzung. Melde dich neu an oder starte deinen Sound-Server, dann prüfe noch einmal.</translation>
    </message>
    <message>
        <source>It should look like this:</source>
        <translation>Läuft er, zeigt deine Leiste das Ton-Symbol:</translation>
    </message>
    <message>
        <source>Open Control Center</source>
        <translation>Toneinstellungen öffnen</translation>
    </message>
    <message>
        <source>Speaker name</source>
        <translation>Name der Ausgabe</translation>
    </message>
    <message>
        <source>e.g. Office</source>
        <translation>z. B. Büro</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Testen</translation>
    </message>
    <message>
        <source>Name exactly as shown in the Sound menu. Case sensitive.</source>
        <translation>Genau so geschrieben wie in deinen Toneinstellungen, auch Groß- und Kleinschreibung.</translation>
    </message>
    <message>
        <source>Search for AirPlay devices</source>
        <translation>Nach Ausgaben suchen</translation>
    </message>
    <message>
        <source>Accessibility permission required</source>
        <translation>Berechtigung für Barrierefreiheit nötig</translation>
    </message>
    <message>
        <source>Tip: keep the speaker on the same Wi-Fi network, then search again.</source>
        <translation>Tipp: Eine Ausgabe erscheint, sobald sie eingeschaltet und verbunden ist (Netzwerk, Bluetooth oder USB). Dann suche noch einmal.</translation>
    </message>
    <message>
        <source>Found outputs:</source>
        <translation>Gefundene Ausgaben:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Afterwards the app lives quietly in the menu bar and reconnects automatically after sleep &amp; login.</source>
        <translation>Danach wartet Tonvera im Systembereich und verbindet nach Ruhezustand und Anmeldung neu.</translation>
    </message>
    <message>
        <source>Error: %@</source>
        <comment>Onboarding: discovery error</comment>
        <translation>Fehler: %@</translation>
    </message>
    <message>
        <source>No devices found — enter the name manually or check Wi-Fi.</source>
        <comment>Onboarding: discovery empty</comment>
        <translation>Keine Ausgaben gefunden. Gib den Namen von Hand ein oder prüfe die Verbindung.</translation>
    </message>
    <message>
        <source>No devices found.</source>
        <comment>Onboarding: discovery empty short</comment>
        <translation>Keine Ausgaben gefunden.</translation>
    </message>
    <message>
        <source>Testing connection to %@…</source>
        <comment>Onboarding: test status</comment>
        <translation>Verbindung mit %@ wird getestet …</translation>
    </message>
    <message>
        <source>Menu bar app • auto reconnect</source>
        <translation>App im Systembereich • verbindet automatisch</translation>
    </message>
    <message>
        <source>Preferred audio output:</source>
        <translation>Bevorzugte Ausgabe:</translation>
    </message>
    <message>
        <source>Connect now</source>
        <translation>Jetzt verbinden</translation>
    </message>
    <message>
        <source>Open at Mac startup</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Find AirPlay devices</source>
        <translation>Ausgaben suchen</translation>
    </message>
    <message>
        <source>Available outputs:</source>
        <translation>Verfügbare Ausgaben:</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>Verwenden</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Connecting to %@…</source>
        <comment>Settings: connect status</comment>
        <translation>Verbinde mit %@ …</translation>
    </message>
    <message>
        <source>No devices found. Enter the name manually.</source>
        <comment>Settings: discovery empty</comment>
        <translation>Keine Ausgaben gefunden. Gib den Namen von Hand ein.</translation>
    </message>
    <message>
        <source>Error: %@</source>
        <comment>Settings: discovery error</comment>
        <translation>Fehler: %@</translation>
    </message>
    <message>
        <source>Version %@</source>
        <comment>Settings: version</comment>
        <translation>Version %@</translation>
    </message>
    <message>
        <source>• %@</source>
        <translation>%@</translation>
    </message>
    <message>
        <source>Desktop</source>
        <comment>Onboarding: readiness step</comment>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>What Tonvera needs</source>
        <comment>Readiness: title</comment>
        <translation>Was Tonvera braucht</translation>
    </message>
    <message>
        <source>Tonvera needs no special permission. It relies on these parts of your desktop:</source>
        <comment>Readiness: introduction</comment>
        <translation>Tonvera braucht keine besondere Berechtigung, nur diese Teile deines Desktops:</translation>
    </message>
    <message>
        <source>Checking…</source>
        <comment>Readiness: checking</comment>
        <translation>Wird geprüft …</translation>
    </message>
    <message>
        <source>Tray icon</source>
        <comment>Readiness: tray title</comment>
        <translation>Symbol im Systembereich</translation>
    </message>
    <message>
        <source>Your panel shows Tonvera&apos;s icon.</source>
        <comment>Readiness: tray ready</comment>
        <translation>Deine Leiste zeigt das Tonvera-Symbol.</translation>
    </message>
    <message>
        <source>No panel shows tray icons. On GNOME, install the AppIndicator extension (package gnome-shell-extension-appindicator), switch it on in Extensions and log in again. Until then Tonvera works without its icon; start it again to open Settings.</source>
        <comment>Readiness: tray missing</comment>
        <translation>Keine Leiste zeigt Symbole im Systembereich an. Unter GNOME: Installiere die Erweiterung AppIndicator (Paket gnome-shell-extension-appindicator), schalte sie unter „Erweiterungen“ ein und melde dich neu an. Bis dahin arbeitet Tonvera ohne Symbol; starte es noch einmal, um die Einstellungen zu öffnen.</translation>
    </message>
    <message>
        <source>Sound server</source>
        <comment>Readiness: sound title</comment>
        <translation>Sound-Server</translation>
    </message>
    <message>
        <source>PulseAudio or PipeWire answers.</source>
        <comment>Readiness: sound ready</comment>
        <translation>PulseAudio oder PipeWire antwortet.</translation>
    </message>
    <message>
        <source>Neither PulseAudio nor PipeWire answers. Both normally start with your session: log in again or start yours, then check again.</source>
        <comment>Readiness: sound missing</comment>
        <translation>Weder PulseAudio noch PipeWire antwortet. Beide starten normalerweise mit deiner Sitzung: Melde dich neu an oder starte deinen Sound-Server, dann prüfe noch einmal.</translation>
    </message>
    <message>
        <source>Sleep and wake signals</source>
        <comment>Readiness: wake title</comment>
        <translation>Signale für Ruhezustand und Aufwachen</translation>
    </message>
    <message>
        <source>The system bus answers: Tonvera notices when the computer wakes.</source>
        <comment>Readiness: wake ready</comment>
        <translation>Der Systembus antwortet: Tonvera bemerkt, wenn der Rechner aufwacht.</translation>
    </message>
    <message>
        <source>The system bus does not answer, so Tonvera cannot notice waking up. Use Connect now after sleep.</source>
        <comment>Readiness: wake missing</comment>
        <translation>Der Systembus antwortet nicht, deshalb bemerkt Tonvera das Aufwachen nicht. Nutze nach dem Ruhezustand „Jetzt verbinden“.</translation>
    </message>
    <message>
        <source>Open Sound Settings</source>
        <comment>Readiness: open sound settings</comment>
        <translation>Toneinstellungen öffnen</translation>
    </message>
    <message>
        <source>All set — you can continue.</source>
        <comment>Readiness: all ready</comment>
        <translation>Alles bereit — du kannst fortfahren.</translation>
    </message>
    <message>
        <source>You can continue anyway; Tonvera does what it can without the missing part.</source>
        <comment>Readiness: continue anyway</comment>
        <translation>Du kannst trotzdem weitermachen; ohne den fehlenden Teil tut Tonvera, was möglich ist.</translation>
    </message>
    <message>
        <source>No tray icon area</source>
        <comment>Readiness badge: tray missing</comment>
        <translation>Kein Systembereich</translation>
    </message>
    <message>
        <source>Sound server not answering</source>
        <comment>Readiness badge: sound missing</comment>
        <translation>Sound-Server antwortet nicht</translation>
    </message>
    <message>
        <source>No wake signals</source>
        <comment>Readiness badge: wake missing</comment>
        <translation>Aufwachen wird nicht gemeldet</translation>
    </message>
    <message>
        <source>Switch to the speaker whenever it appears</source>
        <comment>Settings: follow speaker</comment>
        <translation>Zur bevorzugten Ausgabe wechseln, sobald sie erscheint</translation>
    </message>
    <message>
        <source>Tell me when the speaker stays away</source>
        <comment>Settings: stays-away notice</comment>
        <translation>Melden, wenn die bevorzugte Ausgabe ausbleibt</translation>
    </message>
    <message numerus="yes">
        <source>%n device(s) found.</source>
        <comment>Onboarding: discovery count</comment>
        <translation>
            <numerusform>%n Ausgabe gefunden.</numerusform>
            <numerusform>%n Ausgaben gefunden.</numerusform>
        </translation>
    </message>
    <message>
        <source>Keep new outputs from taking the sound</source>
        <comment>Settings: keep sound from new outputs</comment>
        <translation>Neue Ausgaben übernehmen den Ton nicht</translation>
    </message>
    <message>
        <source>Type or pick an output</source>
        <comment>Settings: fallback list, add field</comment>
        <translation>Ausgabe eingeben oder wählen</translation>
    </message>
    <message>
        <source>Add</source>
        <comment>Settings: fallback list</comment>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <comment>Settings: fallback list</comment>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <comment>Settings: fallback list</comment>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <comment>Settings: fallback list</comment>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>This is the preferred output already.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation>Das ist schon die bevorzugte Ausgabe.</translation>
    </message>
    <message>
        <source>This output is in the list already.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation>Diese Ausgabe steht schon in der Liste.</translation>
    </message>
    <message numerus="yes">
        <source>The list holds at most %n outputs.</source>
        <comment>Settings: fallback list, refused</comment>
        <translation>
            <numerusform>Die Liste fasst höchstens %n Ausgabe.</numerusform>
            <numerusform>Die Liste fasst höchstens %n Ausgaben.</numerusform>
        </translation>
    </message>
    <message>
        <source>The sound now plays on “%@”.</source>
        <comment>Window: connect selected</comment>
        <translation>Der Ton läuft jetzt über „%@“.</translation>
    </message>
    <message>
        <source>Could not switch to “%@”. Is it on and connected? The log says more.</source>
        <comment>Window: connect failed</comment>
        <translation>Zu „%@“ ließ sich nicht wechseln. Ist die Ausgabe eingeschaltet und verbunden? Mehr steht im Protokoll.</translation>
    </message>
    <message>
        <source>Could not switch to “%@”: the permission is missing.</source>
        <comment>Window: connect without permission</comment>
        <translation>Zu „%@“ ließ sich nicht wechseln: Die Berechtigung fehlt.</translation>
    </message>
    <message>
        <source>A connect is under way already; try again when it is over.</source>
        <comment>Window: connect refused, busy</comment>
        <translation>Es wird gerade schon verbunden; versuche es danach noch einmal.</translation>
    </message>
    <message>
        <source>Enter the name of an output first.</source>
        <comment>Window: connect refused, no name</comment>
        <translation>Gib zuerst den Namen einer Ausgabe ein.</translation>
    </message>
    <message>
        <source>“%@” is not there; the sound now plays on “%@”.</source>
        <comment>Window: connect selected an entry of the list</comment>
        <translation>„%@“ ist nicht da; der Ton läuft jetzt über „%@“.</translation>
    </message>
    <message>
        <source>no sound server answers (is PulseAudio or PipeWire running in this session?)</source>
        <comment>Command line: no sound server</comment>
        <translation>kein Sound-Server antwortet (laufen PulseAudio oder PipeWire in dieser Sitzung?)</translation>
    </message>
    <message>
        <source>cannot reach the running Tonvera: %@</source>
        <comment>Command line: instance unreachable</comment>
        <translation>das laufende Tonvera ist nicht erreichbar: %@</translation>
    </message>
    <message>
        <source>the running Tonvera did not answer within %@ s</source>
        <comment>Command line: instance silent</comment>
        <translation>das laufende Tonvera hat nicht innerhalb von %@ s geantwortet</translation>
    </message>
    <message>
        <source>the running Tonvera closed the connection without an answer</source>
        <comment>Command line: instance hung up</comment>
        <translation>das laufende Tonvera hat die Verbindung ohne Antwort geschlossen</translation>
    </message>
    <message>
        <source>the running Tonvera answered with something it should not</source>
        <comment>Command line: instance answered nonsense</comment>
        <translation>das laufende Tonvera hat etwas Unerwartetes geantwortet</translation>
    </message>
    <message>
        <source>cannot make sure that only one reconnect runs: %@</source>
        <comment>Command line: no lock for the run</comment>
        <translation>kann nicht sicherstellen, dass nur eine Verbindung auf einmal läuft: %@</translation>
    </message>
    <message>
        <source>the session has no private runtime folder (XDG_RUNTIME_DIR)</source>
        <comment>Command line: no runtime folder</comment>
        <translation>die Sitzung hat keinen privaten Laufzeitordner (XDG_RUNTIME_DIR)</translation>
    </message>
    <message>
        <source>cannot list the outputs: %@</source>
        <comment>Command line: listing failed</comment>
        <translation>kann die Ausgaben nicht auflisten: %@</translation>
    </message>
    <message>
        <source>an output name has no line breaks</source>
        <comment>Command line: connect to a name with a line break</comment>
        <translation>ein Ausgabename enthält keine Zeilenumbrüche</translation>
    </message>
    <message>
        <source>the running Tonvera refused: %@</source>
        <comment>Command line: instance refused</comment>
        <translation>das laufende Tonvera hat abgelehnt: %@</translation>
    </message>
    <message>
        <source>none selected</source>
        <comment>Command line: status, no current output</comment>
        <translation>keine ausgewählt</translation>
    </message>
    <message>
        <source>unknown: %@</source>
        <comment>Command line: status, output unknown</comment>
        <translation>unbekannt: %@</translation>
    </message>
    <message>
        <source>no</source>
        <comment>Command line: status, Tonvera not running</comment>
        <translation>nein</translation>
    </message>
    <message>
        <source>yes (process %@)</source>
        <comment>Command line: status, Tonvera running</comment>
        <translation>ja (Prozess %@)</translation>
    </message>
    <message>
        <source>yes, but %@</source>
        <comment>Command line: status, Tonvera not answering</comment>
        <translation>ja, aber %@</translation>
    </message>
    <message>
        <source>on</source>
        <comment>Command line: status, switch on</comment>
        <translation>an</translation>
    </message>
    <message>
        <source>off</source>
        <comment>Command line: status, switch off</comment>
        <translation>aus</translation>
    </message>
    <message>
        <source>Preferred output:</source>
        <comment>Command line: status label</comment>
        <translation>Bevorzugte Ausgabe:</translation>
    </message>
    <message>
        <source>Current output:</source>
        <comment>Command line: status label</comment>
        <translation>Aktuelle Ausgabe:</translation>
    </message>
    <message>
        <source>Connect on wake:</source>
        <comment>Command line: status label</comment>
        <translation>Nach dem Aufwachen verbinden:</translation>
    </message>
    <message>
        <source>Connect at login:</source>
        <comment>Command line: status label</comment>
        <translation>Bei der Anmeldung verbinden:</translation>
    </message>
    <message>
        <source>Connect whenever it appears:</source>
        <comment>Command line: status label</comment>
        <translation>Verbinden, sobald sie erscheint:</translation>
    </message>
    <message>
        <source>Notify when it stays away:</source>
        <comment>Command line: status label</comment>
        <translation>Melden, wenn sie ausbleibt:</translation>
    </message>
    <message>
        <source>Tonvera running:</source>
        <comment>Command line: status label</comment>
        <translation>Tonvera läuft:</translation>
    </message>
    <message>
        <source>choose one of --list-outputs, --connect and --status</source>
        <comment>Command line: two commands given</comment>
        <translation>wähle eines von --list-outputs, --connect und --status</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%@&apos;</source>
        <comment>Command line: a word that is no option</comment>
        <translation>unerwartetes Argument &apos;%@&apos;</translation>
    </message>
    <message>
        <source>option &apos;%@&apos; needs a value</source>
        <comment>Command line: option without its value</comment>
        <translation>Option &apos;%@&apos; braucht einen Wert</translation>
    </message>
    <message>
        <source>unknown option &apos;%@&apos;</source>
        <comment>Command line: unknown option</comment>
        <translation>unbekannte Option &apos;%@&apos;</translation>
    </message>
    <message>
        <source>--json goes with --list-outputs or --status</source>
        <comment>Command line: --json with another command</comment>
        <translation>--json gehört zu --list-outputs oder --status</translation>
    </message>
    <message>
        <source>Could not select %@</source>
        <comment>Command line: connect failed</comment>
        <translation>%@ konnte nicht ausgewählt werden</translation>
    </message>
    <message>
        <source>Could not select %1$@: %2$@</source>
        <comment>Command line: connect failed, reason</comment>
        <translation>%1$@ konnte nicht ausgewählt werden: %2$@</translation>
    </message>
    <message>
        <source>Selected %@</source>
        <comment>Command line: connect done</comment>
        <translation>%@ ausgewählt</translation>
    </message>
    <message>
        <source>the permission to switch outputs is missing</source>
        <comment>Command line: connect failed for want of permission</comment>
        <translation>die Berechtigung zum Wechseln der Ausgabe fehlt</translation>
    </message>
    <message>
        <source>Not now: a reconnect is already under way; try again when it is over</source>
        <comment>Command line: connect refused</comment>
        <translation>Gerade nicht: Es läuft bereits eine Verbindung; versuche es erneut, wenn sie fertig ist</translation>
    </message>
    <message>
        <source>No output to select: give a name or choose a preferred output in the settings</source>
        <comment>Command line: connect without a name</comment>
        <translation>Keine Ausgabe zum Auswählen: Gib einen Namen an oder wähle in den Einstellungen eine bevorzugte Ausgabe</translation>
    </message>
    <message>
        <source>Tonvera is quitting; nothing was selected</source>
        <comment>Command line: connect cancelled</comment>
        <translation>Tonvera wird beendet; es wurde nichts ausgewählt</translation>
    </message>
    <message>
        <source>tonvera: no display found (DISPLAY and WAYLAND_DISPLAY are unset). Start Tonvera in a desktop session, or run scripts/run.sh, which provides a display of its own.
</source>
        <comment>Command line: tray application without a display</comment>
        <translation>tonvera: keine Anzeige gefunden (DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt). Starte Tonvera in einer Desktop-Sitzung, oder führe scripts/run.sh aus, das eine eigene Anzeige mitbringt.
</translation>
    </message>
    <message>
        <source>tonvera: cannot load the tray application: %@
</source>
        <comment>Command line: the tray application&apos;s module is broken</comment>
        <translation>tonvera: kann die Anwendung für den Systembereich nicht laden: %@
</translation>
    </message>
    <message>
        <source>(no version)</source>
        <comment>Command line: --version</comment>
        <translation>(keine Version)</translation>
    </message>
    <message>
        <source>tonvera: %@
Try &apos;tonvera --help&apos; for more information.
</source>
        <comment>Command line: wrong usage</comment>
        <translation>tonvera: %@
„tonvera --help“ zeigt mehr dazu.
</translation>
    </message>
    <message>
        <source>Keep new outputs from taking the sound:</source>
        <comment>Command line: status label</comment>
        <translation>Neue Ausgaben übernehmen den Ton nicht:</translation>
    </message>
    <message>
        <source>%1$@ is not there: selected %2$@ (entry %3$@ of the list)</source>
        <comment>Command line: connect selected an entry of the list</comment>
        <translation>%1$@ ist nicht da: %2$@ gewählt (Eintrag %3$@ der Liste)</translation>
    </message>
    <message>
        <source>Stopped before selecting %1$@: %2$@ was chosen meanwhile</source>
        <comment>Command line: connect ended by a pick</comment>
        <translation>Abgebrochen, bevor %1$@ ausgewählt wurde: Inzwischen wurde %2$@ gewählt</translation>
    </message>
    <message>
        <source>Stopped: another output was chosen meanwhile.</source>
        <comment>Window: connect ended by a pick</comment>
        <translation>Abgebrochen: Inzwischen wurde eine andere Ausgabe gewählt.</translation>
    </message>
    <message>
        <source>Ranking, best first:</source>
        <comment>Command line: status label, the ranked outputs</comment>
        <translation>Rangfolge, beste zuerst:</translation>
    </message>
    <message>
        <source>(none)</source>
        <comment>Command line: status, nothing ranked</comment>
        <translation>(keine)</translation>
    </message>
    <message>
        <source>Selected %2$@, which ranks above %1$@</source>
        <comment>Command line: connect selected a higher output</comment>
        <translation>%2$@ ausgewählt (steht in der Rangfolge vor %1$@)</translation>
    </message>
    <message>
        <source>Stopped before selecting %@: meanwhile Connect now or a wake left the choice to the ranking</source>
        <comment>Command line: connect ended by the ranking</comment>
        <translation>Abgebrochen, bevor %@ ausgewählt wurde: Inzwischen hat „Jetzt verbinden“ oder ein Aufwachen die Wahl wieder der Rangfolge überlassen</translation>
    </message>
    <message>
        <source>not ranked</source>
        <comment>Command line: status, an output outside the ranking</comment>
        <translation>nicht in der Rangfolge</translation>
    </message>
    <message>
        <source>%1$@ above %2$@</source>
        <comment>Command line: status, ranked above %2$@; %1$@ English ordinal, %3$@ number</comment>
        <translation>Platz %3$@ vor %2$@</translation>
    </message>
    <message>
        <source>preferred</source>
        <comment>Command line: status, the preferred output&apos;s place</comment>
        <translation>bevorzugt</translation>
    </message>
    <message>
        <source>entry %@ of the list</source>
        <comment>Command line: status, an output of the list for while it is away</comment>
        <translation>Eintrag %@ der Liste</translation>
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
        <translation>Aufruf: tonvera [--help] [--version]
        tonvera --list-outputs [--json]
        tonvera --connect [NAME]
        tonvera --status [--json]

Hält den Ton deines Rechners auf deiner bevorzugten Ausgabe: Tonvera merkt sich
den Namen der Ausgabe und wählt sie nach jedem Aufwachen und, wenn du willst,
bei der Anmeldung wieder aus. Es lebt im Systembereich; starte es erneut, um
seine Einstellungen zu öffnen.

  -h, --help        diese Hilfe zeigen und beenden
  -v, --version     die Version zeigen und beenden
  --list-outputs    die Ausgaben mit Namen auflisten, eine je Zeile; &apos;* &apos;
                    markiert die gerade ausgewählte, zwei Leerzeichen die
                    anderen
  --connect [NAME]  NAME jetzt auswählen, mit den üblichen Wiederholungen, als
                    deine eigene Wahl: Sie gilt bis zum nächsten Aufwachen, zur
                    nächsten Anmeldung oder bis „Jetzt verbinden“; die
                    bevorzugte Ausgabe bleibt, wie sie ist. Ohne NAME: „Jetzt
                    verbinden“, die Rangfolge entscheidet (eine Ausgabe über
                    der bevorzugten, die da ist, die bevorzugte Ausgabe, dann
                    ihre Liste), und eine frühere Wahl von Hand endet. Ein
                    laufendes Tonvera erledigt das, sonst dieser Befehl
  --status          die Rangfolge (die Ausgaben über der bevorzugten, die
                    bevorzugte Ausgabe, ihre Liste), die aktuelle Ausgabe und
                    ihr Platz, die automatischen Schalter und ob Tonvera läuft
  --json            --list-outputs und --status als JSON

Exit-Status: 0 erledigt (bei --connect: die Ausgabe ist ausgewählt); 1 fehl-
geschlagen (kein Sound-Server, Ausgabe nicht ausgewählt, das laufende Tonvera
hat nicht geantwortet); 2 falscher Aufruf; 3 --connect abgelehnt, weil bereits
eine Verbindung läuft; 4 --connect abgebrochen, weil inzwischen etwas anderes
verlangt wurde.

Einstellungen: $XDG_CONFIG_HOME/tonvera/settings.json (sonst ~/.config/tonvera)
</translation>
    </message>
    <message>
        <source>the preferred output</source>
        <comment>Command line: status, 1st above … when no name is chosen</comment>
        <translation>der bevorzugten Ausgabe</translation>
    </message>
    <message>
        <source>It is paired over Bluetooth but did not connect. Is it switched on and in reach?</source>
        <comment>Notification: speaker stayed away, Bluetooth connect failed</comment>
        <translation>Die Ausgabe ist per Bluetooth gekoppelt, hat sich aber nicht verbunden. Ist sie eingeschaltet und in Reichweite?</translation>
    </message>
    <message>
        <source>It was not among the outputs.</source>
        <comment>Notification: speaker stayed away, not there</comment>
        <translation>Die Ausgabe war nicht vorhanden.</translation>
    </message>
    <message>
        <source>Reconnect Bluetooth outputs after wake</source>
        <comment>Settings: Bluetooth switch</comment>
        <translation>Bluetooth-Ausgaben nach dem Aufwachen neu verbinden</translation>
    </message>
    <message>
        <source>Order of outputs:</source>
        <comment>Settings: ranking heading</comment>
        <translation>Reihenfolge der Ausgaben:</translation>
    </message>
    <message>
        <source>Outputs above the preferred one play whenever they are there; those below it step in while it is away.</source>
        <comment>Settings: ranking, what the order means</comment>
        <translation>Ausgaben über der bevorzugten spielen, sobald sie da sind; die darunter springen ein, solange sie fehlt.</translation>
    </message>
    <message>
        <source>Outputs in order of preference</source>
        <comment>Settings: ranking, accessible name</comment>
        <translation>Ausgaben in der gewünschten Reihenfolge</translation>
    </message>
    <message>
        <source>%@ — preferred output</source>
        <comment>Settings: ranking, the preferred output&apos;s row</comment>
        <translation>%@ — bevorzugte Ausgabe</translation>
    </message>
    <message>
        <source>Preferred output (no name yet)</source>
        <comment>Settings: ranking, the preferred output&apos;s row without a name</comment>
        <translation>Bevorzugte Ausgabe (noch ohne Namen)</translation>
    </message>
    <message>
        <source>%@, above the preferred output</source>
        <comment>Settings: ranking, a row&apos;s accessible name</comment>
        <translation>%@, über der bevorzugten Ausgabe</translation>
    </message>
    <message>
        <source>%@, below the preferred output</source>
        <comment>Settings: ranking, a row&apos;s accessible name</comment>
        <translation>%@, unter der bevorzugten Ausgabe</translation>
    </message>
    <message>
        <source>Bluetooth %@</source>
        <comment>Command line: status, a Bluetooth output&apos;s address</comment>
        <translation>Bluetooth %@</translation>
    </message>
    <message>
        <source>Bluetooth %@, connected</source>
        <comment>Command line: status, a connected Bluetooth output</comment>
        <translation>Bluetooth %@, verbunden</translation>
    </message>
    <message>
        <source>Bluetooth %@, not connected</source>
        <comment>Command line: status, a Bluetooth output not connected</comment>
        <translation>Bluetooth %@, nicht verbunden</translation>
    </message>
</context>
</TS>
