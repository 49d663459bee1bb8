<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AppModel</name>
    <message>
        <source>Server unreachable</source>
        <translation>Serveur injoignable</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Part of %1</source>
        <translation>Fait partie de %1</translation>
    </message>
</context>
<context>
    <name>Game</name>
    <message>
        <source>Steam could not be opened</source>
        <translation>Impossible d’ouvrir Steam</translation>
    </message>
</context>
<context>
    <name>GameCard</name>
    <message>
        <source>Launch game</source>
        <translation>Lancer le jeu</translation>
    </message>
</context>
<context>
    <name>HeadlessBridge</name>
    <message>
        <source>Waiting: a bridge with a window syncs</source>
        <translation>En attente : un pont avec fenêtre synchronise</translation>
    </message>
</context>
<context>
    <name>LinkCodeCard</name>
    <message>
        <source>Link code</source>
        <translation>Code de liaison</translation>
    </message>
    <message>
        <source>Enter the code from your dashboard on %1</source>
        <translation>Saisissez le code de votre tableau de bord sur %1</translation>
    </message>
</context>
<context>
    <name>LiveDataCard</name>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>Live data</source>
        <translation>Données en direct</translation>
    </message>
    <message>
        <source>No data yet. Start a game with the Corvane mod enabled and it will appear here.</source>
        <translation>Pas encore de données. Lancez une partie avec le mod Corvane activé et elles apparaîtront ici.</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Solde</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Lignes</translation>
    </message>
    <message>
        <source>On time</source>
        <translation>À l’heure</translation>
    </message>
    <message>
        <source>In service</source>
        <translation>En service</translation>
    </message>
</context>
<context>
    <name>Presentation</name>
    <message>
        <source>Enter a valid link code first</source>
        <translation>Saisissez d’abord un code valide</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivé</translation>
    </message>
    <message>
        <source>Waiting for game data</source>
        <translation>En attente des données du jeu</translation>
    </message>
    <message>
        <source>Waiting for game</source>
        <translation>En attente du jeu</translation>
    </message>
    <message>
        <source>Live, last sync %1</source>
        <translation>En direct, dernière synchro à %1</translation>
    </message>
    <message>
        <source>Live</source>
        <translation>En direct</translation>
    </message>
    <message>
        <source>Rejected</source>
        <translation>Refusé</translation>
    </message>
    <message>
        <source>Running, but its log was not found</source>
        <translation>Lancé, mais son journal est introuvable</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Lancé</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>Non lancé</translation>
    </message>
    <message>
        <source>Looked for the game&apos;s log in:</source>
        <translation>Journal du jeu recherché dans :</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>et %n autre</numerusform>
            <numerusform>et %n autres</numerusform>
        </translation>
    </message>
    <message>
        <source>Game: %1</source>
        <translation>Jeu : %1</translation>
    </message>
    <message>
        <source>Log: %1</source>
        <translation>Journal : %1</translation>
    </message>
    <message>
        <source>Last sync: %1</source>
        <translation>Dernière synchronisation : %1</translation>
    </message>
    <message>
        <source>Last sync: never</source>
        <translation>Dernière synchronisation : jamais</translation>
    </message>
    <message>
        <source>Why: %1</source>
        <translation>Raison : %1</translation>
    </message>
    <message>
        <source>Runs headless, with no window</source>
        <translation>Fonctionne sans fenêtre, comme service</translation>
    </message>
    <message>
        <source>Runs with a window</source>
        <translation>Fonctionne avec une fenêtre</translation>
    </message>
</context>
<context>
    <name>SyncCard</name>
    <message>
        <source>Sync to dashboard</source>
        <translation>Envoyer au tableau de bord</translation>
    </message>
    <message>
        <source>Sync status</source>
        <translation>État de l’envoi</translation>
    </message>
    <message>
        <source>Your settings could not be saved</source>
        <translation>Réglages non enregistrés</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Open %1</source>
        <translation>Ouvrir %1</translation>
    </message>
    <message>
        <source>Sync to dashboard</source>
        <translation>Envoyer au tableau de bord</translation>
    </message>
    <message>
        <source>Launch game</source>
        <translation>Lancer le jeu</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>Quit %1</source>
        <translation>Quitter %1</translation>
    </message>
    <message>
        <source>Start at login could not be changed</source>
        <translation>Impossible de modifier le lancement à l’ouverture de session</translation>
    </message>
</context>
<context>
    <name>Uploader</name>
    <message>
        <source>Bad payload from game</source>
        <translation>Données du jeu invalides</translation>
    </message>
    <message>
        <source>Server error %1</source>
        <translation>Erreur du serveur %1</translation>
    </message>
    <message>
        <source>no whole answer within %1 ms</source>
        <translation>aucune réponse complète en %1 ms</translation>
    </message>
    <message>
        <source>nothing received for %1 ms</source>
        <translation>rien reçu pendant %1 ms</translation>
    </message>
    <message>
        <source>the game&apos;s payload is not a JSON object</source>
        <translation>les données du jeu ne sont pas un objet JSON</translation>
    </message>
    <message>
        <source>HTTP %1, an answer over the size limit</source>
        <translation>HTTP %1, une réponse au-delà de la taille permise</translation>
    </message>
    <message>
        <source>only an informational answer, HTTP %1</source>
        <translation>seulement une réponse provisoire, HTTP %1</translation>
    </message>
    <message>
        <source>a redirect away from the dashboard, or one too many, HTTP %1</source>
        <translation>une redirection hors du tableau de bord, ou une de trop, HTTP %1</translation>
    </message>
    <message>
        <source>HTTP %1: %2</source>
        <translation>HTTP %1 : %2</translation>
    </message>
    <message>
        <source>HTTP %1, no result in the answer</source>
        <translation>HTTP %1, aucun résultat dans la réponse</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Links your running game to your Corvane dashboard.</source>
        <translation>Relie votre partie en cours à votre tableau de bord Corvane.</translation>
    </message>
    <message>
        <source>Start without a window, in the system tray.</source>
        <translation>Démarrer sans fenêtre, dans la zone de notification.</translation>
    </message>
    <message>
        <source>Sync with no window, tray or display, as a service.</source>
        <translation>Synchroniser sans fenêtre, icône ni écran, comme service.</translation>
    </message>
    <message>
        <source>Tell how the running bridge is doing.</source>
        <translation>Dire où en est le pont en cours.</translation>
    </message>
    <message>
        <source>Usage: %1 [--background | --headless | --status] [--help] [--version]</source>
        <translation>Utilisation : %1 [--background | --headless | --status] [--help] [--version]</translation>
    </message>
    <message>
        <source>%1 is not running</source>
        <translation>%1 ne fonctionne pas</translation>
    </message>
    <message>
        <source>%1 already runs headless</source>
        <translation>%1 fonctionne déjà comme service</translation>
    </message>
</context>
</TS>
