<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="fr_FR">
<context>
    <name>QObject</name>
    <message>
        <source>Effacer la recherche</source>
        <translation>Clear the search</translation>
    </message>
</context>
<context>
    <name>kelvane::AboutDialog</name>
    <message>
        <source>À propos de Kelvane</source>
        <translation>About Kelvane</translation>
    </message>
    <message>
        <source>Un client pour MPD, le Music Player Daemon.</source>
        <translation>A client for MPD, the Music Player Daemon.</translation>
    </message>
    <message>
        <source>Fermer</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>kelvane::AlbumBigCover</name>
    <message>
        <source>Pochette</source>
        <translation>Cover</translation>
    </message>
    <message>
        <source>Cet album n&apos;a pas de pochette.</source>
        <translation>This album has no cover.</translation>
    </message>
</context>
<context>
    <name>kelvane::AlbumContentModel</name>
    <message>
        <source>N°</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Titre</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Durée</source>
        <translation>Duration</translation>
    </message>
</context>
<context>
    <name>kelvane::AlbumContentView</name>
    <message>
        <source>Lire</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Morceaux de l&apos;album</source>
        <translation>The album&apos;s songs</translation>
    </message>
</context>
<context>
    <name>kelvane::AlbumListModel</name>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
</context>
<context>
    <name>kelvane::AlbumsView</name>
    <message>
        <source>Aucun album</source>
        <translation>No albums</translation>
    </message>
    <message>
        <source>Rechercher (album, artiste, genre, année)</source>
        <translation>Search (album, artist, genre, year)</translation>
    </message>
    <message>
        <source>Chargement des albums…</source>
        <translation>Loading albums…</translation>
    </message>
    <message>
        <source>Chargement des albums… %1</source>
        <translation>Loading albums… %1</translation>
    </message>
    <message>
        <source>Aucun album ne correspond</source>
        <translation>No matching albums</translation>
    </message>
    <message>
        <source>Lire</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Afficher les morceaux</source>
        <translation>Show Songs</translation>
    </message>
    <message>
        <source>Afficher la pochette</source>
        <translation>Show Cover</translation>
    </message>
    <message>
        <source>Rechercher des albums</source>
        <translation>Search albums</translation>
    </message>
    <message>
        <source>Filtre la grille par album, artiste, genre ou année</source>
        <translation>Filters the grid by album, artist, genre or year</translation>
    </message>
    <message>
        <source>Albums</source>
        <translation>Albums</translation>
    </message>
    <message>
        <source>Entrée lit l&apos;album, Espace affiche ses morceaux, la touche Menu ouvre ses actions</source>
        <translation>Enter plays the album, Space shows its songs, the Menu key opens its actions</translation>
    </message>
</context>
<context>
    <name>kelvane::ConfirmDialog</name>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kelvane::ErrorAlert</name>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>kelvane::GuiMain</name>
    <message>
        <source>Kelvane, un client pour MPD</source>
        <translation>Kelvane, a client for MPD</translation>
    </message>
    <message>
        <source>Serveur MPD pour cette session.</source>
        <translation>MPD server for this session.</translation>
    </message>
    <message>
        <source>Port MPD pour cette session.</source>
        <translation>MPD port for this session.</translation>
    </message>
    <message>
        <source>Serveur web des pochettes pour cette session (adresse[:port]).</source>
        <translation>Cover web server for this session (address[:port]).</translation>
    </message>
    <message>
        <source>ADRESSE</source>
        <translation>ADDRESS</translation>
    </message>
    <message>
        <source>Adresse de l&apos;annuaire radio pour cette session.</source>
        <translation>Radio directory address for this session.</translation>
    </message>
    <message>
        <source>Sans fenêtre : une ligne par événement, commandes lues sur l&apos;entrée.</source>
        <translation>No window: one line per event, commands read from standard input.</translation>
    </message>
</context>
<context>
    <name>kelvane::MPDCommand</name>
    <message>
        <source>Mise à jour de la base MPD...</source>
        <translation>Updating the MPD database...</translation>
    </message>
</context>
<context>
    <name>kelvane::MPDServerError</name>
    <message>
        <source>Connexion fermée par le serveur</source>
        <translation>Connection closed by the server</translation>
    </message>
    <message>
        <source>Le serveur MPD ne répond plus.

 Vérifiez qu&apos;il n&apos;a pas été tué et que la connexion n&apos;a pas de problème.</source>
        <translation>The MPD server no longer answers.

 Check that it has not been killed and that the connection is working.</translation>
    </message>
    <message>
        <source>Réinitialisation de la connexion</source>
        <translation>Connection reset</translation>
    </message>
    <message>
        <source>1. Vérifiez que le serveur MPD est joignable et le service toujours actif.

2. Vérifiez que la connexion réseau est fiable.</source>
        <translation>1. Check that the MPD server can be reached and the service is still running.

2. Check that the network connection is reliable.</translation>
    </message>
    <message>
        <source>Connexion rejetée</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>1. Vérifiez que le serveur est joignable et que MPD est actif.
2. Vérifiez qu&apos;un firewall ne bloque pas la connexion.
3. Vérifiez votre connexion réseau.</source>
        <translation>1. Check that the server can be reached and that MPD is running.
2. Check that no firewall blocks the connection.
3. Check your network connection.</translation>
    </message>
    <message>
        <source>Ce n&apos;est pas un serveur MPD</source>
        <translation>Not an MPD server</translation>
    </message>
    <message>
        <source>Le serveur a répondu, mais pas comme un serveur MPD.

Vérifiez l&apos;adresse et le port dans les préférences.</source>
        <translation>The server answered, but not as an MPD server does.

Check the address and the port in the preferences.</translation>
    </message>
    <message>
        <source>Réponse du serveur illisible</source>
        <translation>Unreadable server answer</translation>
    </message>
    <message>
        <source>Une ligne de la réponse du serveur dépasse ce que Kelvane peut lire (une étiquette très longue, sans doute). L&apos;élément concerné est ignoré.</source>
        <translation>A line of the server&apos;s answer is longer than Kelvane can read (a very long tag, no doubt). The item concerned is skipped.</translation>
    </message>
    <message>
        <source>Playlist non créée</source>
        <translation>Playlist not created</translation>
    </message>
    <message>
        <source>Le serveur MPD n&apos;a pas pu créer la playlist vide.</source>
        <translation>The MPD server could not create the empty playlist.</translation>
    </message>
    <message>
        <source>Playlist introuvable</source>
        <translation>Playlist not found</translation>
    </message>
    <message>
        <source>Cette playlist n&apos;existe pas (ou plus) sur le serveur MPD. La liste de lecture n&apos;a pas été touchée.</source>
        <translation>This playlist does not exist (or no longer exists) on the MPD server. The queue has not been touched.</translation>
    </message>
    <message>
        <source>Rien à lire</source>
        <translation>Nothing to play</translation>
    </message>
    <message>
        <source>Les titres demandés ne sont plus sur le serveur MPD (album renommé ou déplacé, liste modifiée par un autre client). La liste de lecture n&apos;a pas été touchée.</source>
        <translation>The songs asked for are no longer on the MPD server (an album renamed or moved, a list changed by another client). The queue has not been touched.</translation>
    </message>
    <message>
        <source>Adresse de flux invalide</source>
        <translation>Invalid stream address</translation>
    </message>
    <message>
        <source>La station n&apos;a pas donné d&apos;adresse de flux, ou ce n&apos;est pas une adresse que MPD sache lire (http://…, https://…). Rien n&apos;a été envoyé au serveur ; la liste de lecture n&apos;a pas été touchée.</source>
        <translation>The station gave no stream address, or not one MPD can play (http://…, https://…). Nothing was sent to the server; the queue has not been touched.</translation>
    </message>
    <message>
        <source>Le serveur a envoyé un élément incomplet (un titre sans chemin, une position sans identifiant) ; la connexion a été fermée.

Vérifiez qu&apos;il s&apos;agit bien d&apos;un serveur MPD.</source>
        <translation>The server sent an incomplete item (a song without a path, a position without an id); the connection has been closed.

Check that this really is an MPD server.</translation>
    </message>
    <message>
        <source>Texte refusé</source>
        <translation>Text refused</translation>
    </message>
    <message>
        <source>Le texte contient un caractère de contrôle (saut de ligne, tabulation…) qu&apos;une commande MPD ne peut pas porter. Rien n&apos;a été envoyé au serveur.</source>
        <translation>The text holds a control character (line break, tab…) that an MPD command cannot carry. Nothing was sent to the server.</translation>
    </message>
    <message>
        <source>Texte trop long</source>
        <translation>Text too long</translation>
    </message>
    <message>
        <source>Le texte dépasse la longueur qu&apos;une commande MPD peut porter. Rien n&apos;a été envoyé au serveur.</source>
        <translation>The text is longer than an MPD command can carry. Nothing was sent to the server.</translation>
    </message>
    <message>
        <source>Réponse du serveur trop longue</source>
        <translation>Server answer too long</translation>
    </message>
    <message>
        <source>Le serveur a envoyé une réponse sans fin ou démesurée ; la connexion a été fermée.

Vérifiez qu&apos;il s&apos;agit bien d&apos;un serveur MPD.</source>
        <translation>The server sent an endless or oversized answer; the connection has been closed.

Check that this really is an MPD server.</translation>
    </message>
    <message>
        <source>État du serveur incohérent</source>
        <translation>Inconsistent server state</translation>
    </message>
    <message>
        <source>Le serveur a annoncé un état impossible (volume, longueur de la file, position dans la file ou temps écoulé hors limites) ; la connexion a été fermée.

Vérifiez qu&apos;il s&apos;agit bien d&apos;un serveur MPD.</source>
        <translation>The server reported an impossible state (volume, queue length, queue position or elapsed time out of range); the connection has been closed.

Check that this really is an MPD server.</translation>
    </message>
    <message>
        <source>pas d&apos;information complémentaire</source>
        <translation>no further information</translation>
    </message>
    <message>
        <source>Liste de commandes refusée</source>
        <translation>Command list refused</translation>
    </message>
    <message>
        <source>Le serveur MPD n&apos;a pas accepté la liste de commandes envoyée.</source>
        <translation>The MPD server did not accept the command list sent.</translation>
    </message>
    <message>
        <source>Requête refusée par le serveur</source>
        <translation>Request refused by the server</translation>
    </message>
    <message>
        <source>Le serveur MPD juge un paramètre de la commande invalide (un chemin, un nom ou un nombre).</source>
        <translation>The MPD server finds an argument of the command invalid (a path, a name or a number).</translation>
    </message>
    <message>
        <source>Mot de passe refusé</source>
        <translation>Password refused</translation>
    </message>
    <message>
        <source>Le serveur MPD n&apos;accepte pas ce mot de passe. Vérifiez-le dans les préférences.</source>
        <translation>The MPD server does not accept this password. Check it in the preferences.</translation>
    </message>
    <message>
        <source>Action non autorisée</source>
        <translation>Action not allowed</translation>
    </message>
    <message>
        <source>Le serveur MPD ne permet pas cette action sans le bon mot de passe. Vérifiez le mot de passe dans les préférences.</source>
        <translation>The MPD server does not allow this action without the right password. Check the password in the preferences.</translation>
    </message>
    <message>
        <source>Commande inconnue du serveur</source>
        <translation>Command unknown to the server</translation>
    </message>
    <message>
        <source>Le serveur MPD ne connaît pas cette commande : il est sans doute d&apos;une version plus ancienne.</source>
        <translation>The MPD server does not know this command: it is probably an older version.</translation>
    </message>
    <message>
        <source>Introuvable sur le serveur</source>
        <translation>Not found on the server</translation>
    </message>
    <message>
        <source>Le morceau, le dossier ou la playlist demandé n&apos;existe pas (ou plus) sur le serveur MPD. Si la bibliothèque a changé, mettez à jour la base MPD.</source>
        <translation>The song, folder or playlist asked for does not exist (or no longer exists) on the MPD server. If the library has changed, update the MPD database.</translation>
    </message>
    <message>
        <source>Liste trop longue</source>
        <translation>List too long</translation>
    </message>
    <message>
        <source>La liste de lecture ou la playlist a atteint la taille maximale que permet le serveur MPD.</source>
        <translation>The queue or the playlist has reached the largest size the MPD server allows.</translation>
    </message>
    <message>
        <source>Erreur sur le serveur MPD</source>
        <translation>Error on the MPD server</translation>
    </message>
    <message>
        <source>Le serveur MPD n&apos;a pas pu mener l&apos;action à bien (accès aux fichiers, droits, sortie audio) ; son journal en dit plus.</source>
        <translation>The MPD server could not carry the action out (file access, permissions, audio output); its log says more.</translation>
    </message>
    <message>
        <source>Playlist illisible</source>
        <translation>Unreadable playlist</translation>
    </message>
    <message>
        <source>Le serveur MPD n&apos;a pas pu charger cette playlist.</source>
        <translation>The MPD server could not load this playlist.</translation>
    </message>
    <message>
        <source>Mise à jour déjà en cours</source>
        <translation>Update already running</translation>
    </message>
    <message>
        <source>Le serveur MPD met déjà sa base à jour. Attendez qu&apos;il ait terminé.</source>
        <translation>The MPD server is already updating its database. Wait until it has finished.</translation>
    </message>
    <message>
        <source>Lecteur pas prêt</source>
        <translation>Player not ready</translation>
    </message>
    <message>
        <source>Le lecteur du serveur MPD n&apos;est pas dans l&apos;état que demande cette action (aucun morceau en cours, par exemple).</source>
        <translation>The MPD server&apos;s player is not in the state this action needs (no song playing, for example).</translation>
    </message>
    <message>
        <source>Existe déjà</source>
        <translation>Already exists</translation>
    </message>
    <message>
        <source>Un élément de ce nom existe déjà sur le serveur MPD (une playlist, sans doute) : choisissez un autre nom.</source>
        <translation>Something of this name already exists on the MPD server (a playlist, no doubt): choose another name.</translation>
    </message>
    <message>
        <source>

Réponse du serveur : « %1 »</source>
        <translation>

Server&apos;s answer: &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>kelvane::MainActivity</name>
    <message>
        <source>Nouvelle playlist</source>
        <translation>New Playlist</translation>
    </message>
    <message>
        <source>Enregistrer comme playlist</source>
        <translation>Save as Playlist</translation>
    </message>
    <message>
        <source>Renommer</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Supprimer une playlist</source>
        <translation>Delete a Playlist</translation>
    </message>
    <message>
        <source>Confirmer la suppression de la playlist: %1</source>
        <translation>Confirm deleting the playlist: %1</translation>
    </message>
    <message>
        <source>Renommer la playlist</source>
        <translation>Rename the Playlist</translation>
    </message>
    <message>
        <source>Connexion…</source>
        <translation>Connecting…</translation>
    </message>
    <message>
        <source>Déconnecté</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>Déconnecté — nouvelle tentative dans %1 s</source>
        <translation>Disconnected — retrying in %1 s</translation>
    </message>
    <message>
        <source>&amp;Fichier</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Préférences…</source>
        <translation>Preferences…</translation>
    </message>
    <message>
        <source>Quitter</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>&amp;Serveur</source>
        <translation>&amp;Server</translation>
    </message>
    <message>
        <source>Connecter</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Déconnecter</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Mettre à jour la base MPD</source>
        <translation>Update the MPD Database</translation>
    </message>
    <message>
        <source>Vider le cache des pochettes</source>
        <translation>Clear the Cover Cache</translation>
    </message>
    <message>
        <source>&amp;Lecture</source>
        <translation>&amp;Playback</translation>
    </message>
    <message>
        <source>Lecture / Pause</source>
        <translation>Play / Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Suivant</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Précédent</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Volume +</source>
        <translation>Volume +</translation>
    </message>
    <message>
        <source>Volume −</source>
        <translation>Volume −</translation>
    </message>
    <message>
        <source>&amp;Playlist</source>
        <translation>P&amp;laylist</translation>
    </message>
    <message>
        <source>Nouvelle playlist…</source>
        <translation>New Playlist…</translation>
    </message>
    <message>
        <source>Enregistrer la lecture en cours comme playlist…</source>
        <translation>Save Now Playing as a Playlist…</translation>
    </message>
    <message>
        <source>Ajouter un stream…</source>
        <translation>Add a Stream…</translation>
    </message>
    <message>
        <source>&amp;Affichage</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>Rechercher</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>À propos de Kelvane</source>
        <translation>About Kelvane</translation>
    </message>
    <message>
        <source>Désactivé</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Piste</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Automatique</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Aléatoire</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>Répéter</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>Morceau unique</source>
        <translation>Single</translation>
    </message>
    <message>
        <source>Une seule fois</source>
        <translation>Once</translation>
    </message>
    <message>
        <source>Consommer</source>
        <translation>Consume</translation>
    </message>
    <message>
        <source>Fondu enchaîné</source>
        <translation>Crossfade</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Replay Gain</source>
        <translation>Replay Gain</translation>
    </message>
    <message>
        <source>Sorties audio</source>
        <translation>Audio Outputs</translation>
    </message>
    <message>
        <source>Aucune sortie</source>
        <translation>No outputs</translation>
    </message>
    <message>
        <source>%1 s (réglé ailleurs)</source>
        <translation>%1 s (set elsewhere)</translation>
    </message>
</context>
<context>
    <name>kelvane::MainWindow</name>
    <message>
        <source>Ajouter un stream</source>
        <translation>Add a Stream</translation>
    </message>
</context>
<context>
    <name>kelvane::MprisPlayer</name>
    <message>
        <source>Seules les adresses http et https sont acceptées.</source>
        <translation>Only http and https addresses are accepted.</translation>
    </message>
</context>
<context>
    <name>kelvane::MprisProperties</name>
    <message>
        <source>Propriété inconnue : %1</source>
        <translation>Unknown property: %1</translation>
    </message>
    <message>
        <source>Interface inconnue : %1</source>
        <translation>Unknown interface: %1</translation>
    </message>
    <message>
        <source>Propriété en lecture seule : %1</source>
        <translation>Read-only property: %1</translation>
    </message>
    <message>
        <source>La propriété %1 attend une valeur de type « %2 ».</source>
        <translation>Property %1 expects a value of type &quot;%2&quot;.</translation>
    </message>
</context>
<context>
    <name>kelvane::MprisService</name>
    <message>
        <source>LoopStatus vaut « None », « Track » ou « Playlist ».</source>
        <translation>LoopStatus is &quot;None&quot;, &quot;Track&quot; or &quot;Playlist&quot;.</translation>
    </message>
    <message>
        <source>Volume attend un nombre fini.</source>
        <translation>Volume expects a finite number.</translation>
    </message>
</context>
<context>
    <name>kelvane::NowPlayingBar</name>
    <message>
        <source>Précédent</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Lecture / Pause</source>
        <translation>Play / Pause</translation>
    </message>
    <message>
        <source>Suivant</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Aléatoire</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>Répéter</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>Aller à</source>
        <translation>Seek</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Le serveur n&apos;a pas de contrôle du volume</source>
        <translation>The server has no volume control</translation>
    </message>
    <message>
        <source>Pochette</source>
        <translation>Cover</translation>
    </message>
    <message>
        <source>Progression</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>%1 sur %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>sans contrôle du volume</source>
        <translation>no volume control</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Lecture en cours</source>
        <translation>Now Playing</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>kelvane::NowPlayingText</name>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Non renseigné</source>
        <translation>Unknown</translation>
    </message>
</context>
<context>
    <name>kelvane::PlaylistModel</name>
    <message>
        <source>N°</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Artiste</source>
        <translation>Artist</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Titre</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Compositeur</source>
        <translation>Composer</translation>
    </message>
    <message>
        <source>Durée</source>
        <translation>Duration</translation>
    </message>
</context>
<context>
    <name>kelvane::PlaylistView</name>
    <message>
        <source>Lire</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Morceaux de la playlist</source>
        <translation>The playlist&apos;s songs</translation>
    </message>
</context>
<context>
    <name>kelvane::Preferences</name>
    <message>
        <source>Préférences</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Adresse du serveur MPD</source>
        <translation>MPD server address</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Arguments de requête des pochettes</source>
        <translation>Cover query arguments</translation>
    </message>
    <message>
        <source>Pochettes fournies par le serveur MPD</source>
        <translation>Covers provided by the MPD server</translation>
    </message>
    <message>
        <source>Quand le serveur web n&apos;a pas la pochette, la demander au serveur MPD (fichier cover.jpg du dossier ou image intégrée au morceau).</source>
        <translation>When the web server has no cover, ask the MPD server for it (the folder&apos;s cover.jpg file or the picture embedded in the song).</translation>
    </message>
    <message>
        <source>Mot de passe stocké en clair</source>
        <translation>Password stored in clear text</translation>
    </message>
    <message>
        <source>Notifier le changement de morceau</source>
        <translation>Notify when the song changes</translation>
    </message>
    <message>
        <source>Automatique</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>La langue change au prochain démarrage de Kelvane.</source>
        <translation>The language changes the next time Kelvane starts.</translation>
    </message>
    <message>
        <source>Adresse IP du serveur web</source>
        <translation>IP address of the web server</translation>
    </message>
    <message>
        <source>ex. cover.php?path=</source>
        <translation>e.g. cover.php?path=</translation>
    </message>
    <message>
        <source>facultatif</source>
        <translation>optional</translation>
    </message>
    <message>
        <source>Serveur</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Utilisateur</source>
        <translation>User</translation>
    </message>
    <message>
        <source>Mot de passe</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Pochettes</source>
        <translation>Covers</translation>
    </message>
    <message>
        <source>Serveur web</source>
        <translation>Web server</translation>
    </message>
    <message>
        <source>Arguments</source>
        <translation>Arguments</translation>
    </message>
    <message>
        <source>Bureau</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>Langue</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Lecture du mot de passe dans le trousseau…</source>
        <translation>Reading the password from the keyring…</translation>
    </message>
    <message>
        <source>Enregistrement du mot de passe dans le trousseau…</source>
        <translation>Saving the password in the keyring…</translation>
    </message>
    <message>
        <source>Le trousseau n&apos;a pas gardé le mot de passe : il ne vaut que jusqu&apos;à la fermeture de Kelvane</source>
        <translation>The keyring did not keep the password: it holds only until Kelvane is closed</translation>
    </message>
    <message>
        <source>Le trousseau n&apos;a pas donné le mot de passe</source>
        <translation>The keyring did not give the password</translation>
    </message>
    <message>
        <source>Pochettes servies par un serveur web sur l&apos;hôte MPD</source>
        <translation>Covers served by a web server on the MPD host</translation>
    </message>
    <message>
        <source>Demander les pochettes (cover.jpg de chaque dossier d&apos;album) à un serveur web à l&apos;adresse du serveur MPD. Décochez pour indiquer un autre serveur web.</source>
        <translation>Ask a web server at the MPD server&apos;s address for the covers (each album folder&apos;s cover.jpg). Uncheck to give another web server.</translation>
    </message>
</context>
<context>
    <name>kelvane::QueueModel</name>
    <message>
        <source>N°</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Artiste</source>
        <translation>Artist</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Titre</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>Durée</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Année</source>
        <translation>Year</translation>
    </message>
</context>
<context>
    <name>kelvane::QueueView</name>
    <message>
        <source>Mélanger</source>
        <translation>Shuffle</translation>
    </message>
    <message>
        <source>Vider la liste</source>
        <translation>Clear the List</translation>
    </message>
    <message>
        <source>Lire</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Lire ensuite</source>
        <translation>Play Next</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Retirer le morceau de la lecture en cours ?</source>
        <translation>Remove the song from Now Playing?</translation>
    </message>
    <message numerus="yes">
        <source>Retirer les %n morceaux de la lecture en cours ?</source>
        <translation>
            <numerusform>Remove the %n song from Now Playing?</numerusform>
            <numerusform>Remove the %n songs from Now Playing?</numerusform>
        </translation>
    </message>
    <message>
        <source>Lecture en cours</source>
        <translation>Now Playing</translation>
    </message>
</context>
<context>
    <name>kelvane::RadioItem</name>
    <message>
        <source>Double-cliquer pour ouvrir</source>
        <translation>Double-click to open</translation>
    </message>
    <message>
        <source>Stream ajouté</source>
        <translation>Stream added</translation>
    </message>
    <message>
        <source>Dossier %1</source>
        <translation>Folder %1</translation>
    </message>
    <message>
        <source>Écouter</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Ajouter aux streams</source>
        <translation>Add to Streams</translation>
    </message>
</context>
<context>
    <name>kelvane::RadioOverCover</name>
    <message>
        <source>Écouter</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Ajouter aux streams</source>
        <translation>Add to Streams</translation>
    </message>
</context>
<context>
    <name>kelvane::RadioView</name>
    <message>
        <source>Page précédente</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>Rechercher une radio</source>
        <translation>Search for a radio</translation>
    </message>
    <message>
        <source>Aucune entrée</source>
        <translation>No entries</translation>
    </message>
    <message>
        <source>Entrée lance la recherche dans l&apos;annuaire</source>
        <translation>Enter searches the directory</translation>
    </message>
    <message>
        <source>Catégories</source>
        <translation>Categories</translation>
    </message>
    <message>
        <source>Radios</source>
        <translation>Radios</translation>
    </message>
</context>
<context>
    <name>kelvane::SessionServer</name>
    <message>
        <source>adresse du serveur vide</source>
        <translation>empty server address</translation>
    </message>
    <message>
        <source>port invalide : « %1 »</source>
        <translation>invalid port: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>serveur de pochettes vide</source>
        <translation>empty cover server</translation>
    </message>
</context>
<context>
    <name>kelvane::SetNameDialog</name>
    <message>
        <source>Nom :</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Au moins deux caractères</source>
        <translation>At least two characters</translation>
    </message>
</context>
<context>
    <name>kelvane::SideBar</name>
    <message>
        <source>Albums</source>
        <translation>Albums</translation>
    </message>
    <message>
        <source>Lecture en cours</source>
        <translation>Now Playing</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Streams</translation>
    </message>
    <message>
        <source>Radio</source>
        <translation>Radio</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Playlists</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>Afficher ou masquer les playlists</source>
        <translation>Show or hide the playlists</translation>
    </message>
    <message>
        <source>Navigation</source>
        <translation>Navigation</translation>
    </message>
</context>
<context>
    <name>kelvane::SongSearchPanel</name>
    <message>
        <source>Titres</source>
        <translation>Songs</translation>
    </message>
    <message>
        <source>Recherche…</source>
        <translation>Searching…</translation>
    </message>
    <message>
        <source>Recherche impossible</source>
        <translation>Search failed</translation>
    </message>
    <message>
        <source>Aucun titre</source>
        <translation>No songs</translation>
    </message>
    <message>
        <source>Plus de %1 titres : seuls les %1 premiers sont affichés, précisez la recherche.</source>
        <translation>More than %1 songs: only the first %1 are shown, narrow the search.</translation>
    </message>
    <message numerus="yes">
        <source>%n titre(s)</source>
        <translation>
            <numerusform>%n song</numerusform>
            <numerusform>%n songs</numerusform>
        </translation>
    </message>
    <message>
        <source>Lire l&apos;album</source>
        <translation>Play the Album</translation>
    </message>
    <message>
        <source>Titres trouvés</source>
        <translation>Songs found</translation>
    </message>
</context>
<context>
    <name>kelvane::SongTableModel</name>
    <message>
        <source>en cours</source>
        <translation>playing</translation>
    </message>
</context>
<context>
    <name>kelvane::StreamEdit</name>
    <message>
        <source>Ajouter un stream</source>
        <translation>Add a Stream</translation>
    </message>
    <message>
        <source>Modifier le stream</source>
        <translation>Edit the Stream</translation>
    </message>
    <message>
        <source>Nom :</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Adresse :</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>Nom du stream</source>
        <translation>Stream name</translation>
    </message>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>kelvane::StreamView</name>
    <message>
        <source>Nom</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Aucun stream enregistré</source>
        <translation>No saved streams</translation>
    </message>
    <message>
        <source>Modifier…</source>
        <translation>Edit…</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Confirmer la suppression de: %1</source>
        <translation>Confirm deleting: %1</translation>
    </message>
    <message numerus="yes">
        <source>Confirmer la suppression des %n éléments</source>
        <translation>
            <numerusform>Confirm deleting %n item</numerusform>
            <numerusform>Confirm deleting the %n items</numerusform>
        </translation>
    </message>
    <message>
        <source>Supprimer stream</source>
        <translation>Delete Stream</translation>
    </message>
    <message>
        <source>Lire</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Streams enregistrés</source>
        <translation>Saved streams</translation>
    </message>
</context>
<context>
    <name>kelvane::inputcheck</name>
    <message>
        <source>Les caractères de contrôle (tabulation, retour à la ligne…) ne sont pas acceptés.</source>
        <translation>Control characters (tab, line break…) are not accepted.</translation>
    </message>
</context>
<context>
    <name>kelvane::librarytext</name>
    <message>
        <source>%1h %2mn</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1mn</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>inconnu</source>
        <translation>unknown</translation>
    </message>
</context>
<context>
    <name>kelvane::playlistmenu</name>
    <message>
        <source>Ajouter à la playlist</source>
        <translation>Add to Playlist</translation>
    </message>
    <message>
        <source>Nouvelle playlist…</source>
        <translation>New Playlist…</translation>
    </message>
    <message>
        <source>Nouvelle playlist</source>
        <translation>New Playlist</translation>
    </message>
</context>
<context>
    <name>kelvane::queuemenu</name>
    <message>
        <source>Ajouter à la lecture en cours</source>
        <translation>Add to Now Playing</translation>
    </message>
    <message>
        <source>Lire ensuite</source>
        <translation>Play Next</translation>
    </message>
</context>
</TS>
