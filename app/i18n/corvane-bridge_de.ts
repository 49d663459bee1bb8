<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppModel</name>
    <message>
        <source>Server unreachable</source>
        <translation>Server nicht erreichbar</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Part of %1</source>
        <translation>Teil von %1</translation>
    </message>
</context>
<context>
    <name>Game</name>
    <message>
        <source>Steam could not be opened</source>
        <translation>Steam ließ sich nicht öffnen</translation>
    </message>
</context>
<context>
    <name>GameCard</name>
    <message>
        <source>Launch game</source>
        <translation>Spiel starten</translation>
    </message>
</context>
<context>
    <name>HeadlessBridge</name>
    <message>
        <source>Waiting: a bridge with a window syncs</source>
        <translation>Wartet: eine Bridge mit Fenster gleicht ab</translation>
    </message>
</context>
<context>
    <name>LinkCodeCard</name>
    <message>
        <source>Link code</source>
        <translation>Verknüpfungscode</translation>
    </message>
    <message>
        <source>Enter the code from your dashboard on %1</source>
        <translation>Gib den Code aus deinem Dashboard auf %1 ein</translation>
    </message>
</context>
<context>
    <name>LiveDataCard</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Live data</source>
        <translation>Live-Daten</translation>
    </message>
    <message>
        <source>No data yet. Start a game with the Corvane mod enabled and it will appear here.</source>
        <translation>Noch keine Daten. Starte ein Spiel mit aktivierter Corvane-Mod, dann erscheinen sie hier.</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Kontostand</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Linien</translation>
    </message>
    <message>
        <source>On time</source>
        <translation>Pünktlich</translation>
    </message>
    <message>
        <source>In service</source>
        <translation>Im Einsatz</translation>
    </message>
</context>
<context>
    <name>Presentation</name>
    <message>
        <source>Enter a valid link code first</source>
        <translation>Zuerst einen gültigen Code eingeben</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Waiting for game data</source>
        <translation>Warte auf Spieldaten</translation>
    </message>
    <message>
        <source>Waiting for game</source>
        <translation>Warte auf das Spiel</translation>
    </message>
    <message>
        <source>Live, last sync %1</source>
        <translation>Live, zuletzt synchronisiert %1</translation>
    </message>
    <message>
        <source>Live</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>Rejected</source>
        <translation>Abgelehnt</translation>
    </message>
    <message>
        <source>Running, but its log was not found</source>
        <translation>Läuft, aber sein Protokoll fehlt</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>Läuft nicht</translation>
    </message>
    <message>
        <source>Looked for the game&apos;s log in:</source>
        <translation>Nach dem Protokoll des Spiels gesucht in:</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weiterer</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Game: %1</source>
        <translation>Spiel: %1</translation>
    </message>
    <message>
        <source>Log: %1</source>
        <translation>Protokoll: %1</translation>
    </message>
    <message>
        <source>Last sync: %1</source>
        <translation>Zuletzt abgeglichen: %1</translation>
    </message>
    <message>
        <source>Last sync: never</source>
        <translation>Zuletzt abgeglichen: nie</translation>
    </message>
    <message>
        <source>Why: %1</source>
        <translation>Grund: %1</translation>
    </message>
    <message>
        <source>Runs headless, with no window</source>
        <translation>Läuft ohne Fenster, als Dienst</translation>
    </message>
    <message>
        <source>Runs with a window</source>
        <translation>Läuft mit Fenster</translation>
    </message>
</context>
<context>
    <name>SyncCard</name>
    <message>
        <source>Sync to dashboard</source>
        <translation>Mit Dashboard abgleichen</translation>
    </message>
    <message>
        <source>Sync status</source>
        <translation>Abgleich</translation>
    </message>
    <message>
        <source>Your settings could not be saved</source>
        <translation>Einstellungen nicht gespeichert</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Open %1</source>
        <translation>%1 öffnen</translation>
    </message>
    <message>
        <source>Sync to dashboard</source>
        <translation>Mit Dashboard abgleichen</translation>
    </message>
    <message>
        <source>Launch game</source>
        <translation>Spiel starten</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Quit %1</source>
        <translation>%1 beenden</translation>
    </message>
    <message>
        <source>Start at login could not be changed</source>
        <translation>„Bei der Anmeldung starten“ ließ sich nicht ändern</translation>
    </message>
</context>
<context>
    <name>Uploader</name>
    <message>
        <source>Bad payload from game</source>
        <translation>Ungültige Daten vom Spiel</translation>
    </message>
    <message>
        <source>Server error %1</source>
        <translation>Serverfehler %1</translation>
    </message>
    <message>
        <source>no whole answer within %1 ms</source>
        <translation>keine vollständige Antwort innerhalb von %1 ms</translation>
    </message>
    <message>
        <source>nothing received for %1 ms</source>
        <translation>%1 ms lang nichts empfangen</translation>
    </message>
    <message>
        <source>the game&apos;s payload is not a JSON object</source>
        <translation>die Daten des Spiels sind kein JSON-Objekt</translation>
    </message>
    <message>
        <source>HTTP %1, an answer over the size limit</source>
        <translation>HTTP %1, eine Antwort über der Größengrenze</translation>
    </message>
    <message>
        <source>only an informational answer, HTTP %1</source>
        <translation>nur eine Zwischenantwort, HTTP %1</translation>
    </message>
    <message>
        <source>a redirect away from the dashboard, or one too many, HTTP %1</source>
        <translation>eine Umleitung weg vom Dashboard oder eine zu viel, HTTP %1</translation>
    </message>
    <message>
        <source>HTTP %1: %2</source>
        <translation>HTTP %1: %2</translation>
    </message>
    <message>
        <source>HTTP %1, no result in the answer</source>
        <translation>HTTP %1, kein Ergebnis in der Antwort</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Links your running game to your Corvane dashboard.</source>
        <translation>Verbindet dein laufendes Spiel mit deinem Corvane-Dashboard.</translation>
    </message>
    <message>
        <source>Start without a window, in the system tray.</source>
        <translation>Ohne Fenster im Infobereich starten.</translation>
    </message>
    <message>
        <source>Sync with no window, tray or display, as a service.</source>
        <translation>Ohne Fenster, Symbol oder Bildschirm abgleichen, als Dienst.</translation>
    </message>
    <message>
        <source>Tell how the running bridge is doing.</source>
        <translation>Sagen, wie es der laufenden Bridge geht.</translation>
    </message>
    <message>
        <source>Usage: %1 [--background | --headless | --status] [--help] [--version]</source>
        <translation>Aufruf: %1 [--background | --headless | --status] [--help] [--version]</translation>
    </message>
    <message>
        <source>%1 is not running</source>
        <translation>%1 läuft nicht</translation>
    </message>
    <message>
        <source>%1 already runs headless</source>
        <translation>%1 läuft schon als Dienst</translation>
    </message>
</context>
</TS>
