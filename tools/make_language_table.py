#!/usr/bin/python3
"""Writes resources/custom/1000.lng, the language table the game carries.

The file is INI text in code page 1252 with CR LF after every line: first the
section line "[lang]", then one entry per text number and language, ordered by
number and within a number by language base (0, 1000, ...). Most entries end
in a TAB, a few in blanks; the reader trims both. A few keys appear twice: the
first counts.

Run it again after changing a text:  /usr/bin/python3 tools/make_language_table.py
"""
import pathlib

# The game's languages as (code, base): the same as the table Languages in
# src/language/Languages.h, in its order. test_language checks that the file
# written here holds exactly that table's bases.
LANGS = [
    ("de", 0),
    ("en", 1000),
    ("es", 2000),
    ("it", 3000),
    ("fr", 6000),
]

# number: one text for each of LANGS, in its order
TEXTS = {
    111: ("Punkte", "Points", "Puntos", "Punti", "Points"),
    112: ("Spiel starten", "Start a game", "Empezar partida", "Inizia la partita", "Commencer la partie"),
    113: ("Spiel beenden", "End the game", "Terminar partida", "Termina la partita", "Terminer la partie"),
    114: ("Tipp", "Hint", "Pista", "Suggerimento", "Indice"),
    115: ("Bild auswählen...", "Choose a picture...", "Elegir imagen...", "Scegli l'immagine...", "Choisir l'image..."),
    116: ("Rückseite auswählen", "Choose the back side", "Elegir el reverso", "Scegli il retro", "Choisir le dos des pièces"),
    117: ("Puzzle speichern", "Save the puzzle", "Guardar el puzle", "Salva il puzzle", "Enregistrer le puzzle"),
    118: ("Gespeichertes Puzzle laden", "Load the saved puzzle", "Cargar el puzle guardado", "Carica il puzzle salvato", "Charger le puzzle enregistré"),
    119: ("Optionen", "Options", "Opciones", "Opzioni", "Options"),
    120: ("Champions anzeigen...", "Show the champions...", "Ver los campeones...", "Mostra i campioni...", "Afficher les champions..."),
    121: ("Hilfe", "Help", "Ayuda", "Aiuto", "Aide"),
    122: ("&Email an Marlpit...", "&Email Marlpit...", "&Escribir a Marlpit...", "&Scrivi a Marlpit...", "É&crire à Marlpit..."),
    123: ("&Über...", "&About...", "&Acerca de...", "&Informazioni...", "À &propos..."),
    124: ("Wirklich schon aufhören?", "Do you really want to stop now?", "¿De verdad quieres parar ya?", "Vuoi davvero smettere adesso?", "Tu veux vraiment arrêter maintenant\u00a0?"),
    125: ("Glückwunsch!", "Congratulations!", "¡Enhorabuena!", "Complimenti!", "Félicitations\u00a0!"),
    126: ("Bitte gib deinen Namen ein!", "Please enter your name!", "¡Escribe tu nombre, por favor!", "Scrivi il tuo nome, per favore!", "Entre ton nom, s'il te plaît\u00a0!"),
    127: ("Vodez hat gewonnen!", "Vodez has won!", "¡Vodez ha ganado!", "Vodez ha vinto!", "Vodez a gagné\u00a0!"),
    128: ("Unentschieden!", "It's a draw!", "¡Empate!", "Pareggio!", "Match nul\u00a0!"),
    129: ("Spielende!", "Game over!", "¡Fin de la partida!", "Fine della partita!", "Fin de la partie\u00a0!"),
    130: ("Noch 'ne Runde?", "One more round?", "¿Otra ronda?", "Un'altra partita?", "On en refait une\u00a0?"),
    131: ("vorheriges Bild", "previous picture", "imagen anterior", "La foto di prima", "image précédente"),
    132: ("nächstes Bild", "next picture", "imagen siguiente", "La prossima foto", "image suivante"),
    141: ("Teile", "Pieces", "Piezas", "Pezzi", "Pièces"),
    142: ("&Teilnehmer:", "Pla&yers:", "&Jugadores:", "&Giocatori:", "&Joueurs\u00a0:"),
    143: ("&Rahmen", "&Frame", "&Marco", "&Cornice", "&Cadre"),
    144: ("&Gold", "&Gold", "&Dorado", "&Oro", "&Or"),
    145: ("&Schwarz", "&Black", "&Negro", "&Nero", "&Noir"),
    146: ("&Geräuscheffekte", "&Sound effects", "&Efectos de sonido", "&Effetti sonori", "&Effets sonores"),
    147: ("&Hintergrundmusik", "Background &music", "Música de &fondo", "&Musica di sottofondo", "&Musique de fond"),
    148: ("&Einmal", "&Once", "&Una vez", "&Una volta", "&Une fois"),
    149: ("En&dlos", "&Endless", "Sin f&in", "Senza &fine", "En &boucle"),
    150: ("&Gitter anzeigen", "Show g&rid", "Mostrar cuad&rícula", "Mostra g&riglia", "Afficher la &grille"),
    151: ("&Automatisch umdrehen", "&Automatic flip", "Dar la vuelta &automáticamente", "Gira &automaticamente", "Retourner &automatiquement"),
    152: ("&Vorschaubild", "Pre&view picture", "&Vista previa", "Ante&prima", "A&perçu"),
    153: ("&Tipps erlaubt", "&Permit hints", "Permitir &pistas", "&Suggerimenti ammessi", "&Indices autorisés"),
    154: ("&Joker", "&Joker", "&Comodín", "&Jolly", "Jo&ker"),
    155: ("&Zeitlimit", "&Time limit", "&Límite de tiempo", "&Tempo limite", "&Limite de temps"),
    166: ("Name", "Name", "Nombre", "Nome", "Nom"),
    171: ("Championliste löschen...", "Clear the champions list...", "Borrar la lista de campeones...", "Cancella l'elenco dei campioni...", "Effacer la liste des champions..."),
    172: ("&Löschen", "&Clear", "&Borrar", "&Cancella", "&Effacer"),
    173: ("Soll die Championliste wirklich gelöscht werden?", "Do you really want to clear the champions list?", "¿Seguro que quieres borrar la lista de campeones?", "Vuoi davvero cancellare l'elenco dei campioni?", "Tu veux vraiment effacer la liste des champions\u00a0?"),
    175: ("Falsch!", "Wrong!", "¡Fallo!", "Sbagliato!", "Raté\u00a0!"),
    177: ("Diese Datei konnte nicht geschrieben werden; sie bleibt, wie sie war:",
          "This file could not be written; it stays as it was:",
          "No se ha podido escribir este archivo; queda como estaba:",
          "Non è stato possibile scrivere questo file; resta com'era:",
          "Ce fichier n'a pas pu être écrit\u00a0; il reste tel qu'il était\u00a0:"),
    178: ("Es gibt schon ein gespeichertes Puzzle. Soll es ersetzt werden?",
          "There is already a saved puzzle. Do you want to replace it?",
          "Ya hay un puzle guardado. ¿Quieres sustituirlo?",
          "C'è già un puzzle salvato. Vuoi sostituirlo?",
          "Il y a déjà un puzzle enregistré. Tu veux le remplacer\u00a0?"),
    179: ("Diese Einstellungen hatten Werte, die das Spiel nicht kennt, und stehen wieder auf ihrem Anfangswert:",
          "These settings held values the game does not know and are back at their defaults:",
          "Estos ajustes tenían valores que el juego no conoce y vuelven a su valor inicial:",
          "Queste impostazioni avevano valori che il gioco non conosce e tornano al valore iniziale:",
          "Ces réglages avaient des valeurs que le jeu ne connaît pas et reviennent à leur valeur de départ\u00a0:"),
    180: ("Der Name dieses Bildes kann nicht gespeichert werden. Bitte benenne die Datei um:",
          "This picture's name cannot be kept in the settings. Please rename the file:",
          "El nombre de esta imagen no se puede guardar en los ajustes. Cambia el nombre del archivo:",
          "Il nome di questa immagine non può essere salvato nelle impostazioni. Rinomina il file:",
          "Le nom de cette image ne peut pas être gardé dans les réglages. Renomme le fichier\u00a0:"),
    181: ("Das Ergebnis konnte nicht in der Championliste gespeichert werden.", "The result could not be stored in the champions list.", "No se ha podido guardar el resultado en la lista de campeones.", "Non è stato possibile salvare il risultato nell'elenco dei campioni.", "Le résultat n'a pas pu être enregistré dans la liste des champions."),
    182: ("Die Championliste konnte nicht gelöscht werden.", "The champions list could not be cleared.", "No se ha podido borrar la lista de campeones.", "Non è stato possibile cancellare l'elenco dei campioni.", "La liste des champions n'a pas pu être effacée."),
    183: ("Das gespeicherte Puzzle ist beschädigt und kann nicht geladen werden.", "The saved puzzle is damaged and cannot be loaded.", "El puzle guardado está dañado y no se puede cargar.", "Il puzzle salvato è danneggiato e non può essere caricato.", "Le puzzle enregistré est endommagé et ne peut pas être chargé."),
    184: ("Stapel", "Stack", "Montón", "Mazzo", "Pile"),
    185: ("Zeile %1, Spalte %2", "Row %1, column %2", "Fila %1, columna %2", "Riga %1, colonna %2", "Ligne %1, colonne %2"),
    186: ("leer", "empty", "vacía", "vuota", "vide"),
    187: ("gelegt", "placed", "colocada", "posata", "posée"),
    188: ("falsch markiert", "marked wrong", "marcada como fallo", "segnata come sbagliata", "marquée fausse"),
    189: ("Joker", "joker", "comodín", "jolly", "joker"),
    190: ("Zeit", "Time", "Tiempo", "Tempo", "Temps"),
    191: ("Vorschaubild", "Preview picture", "Vista previa", "Anteprima", "Aperçu"),
    192: ("noch %1 Teile", "%1 pieces left", "quedan %1 piezas", "ancora %1 pezzi", "encore %1 pièces"),
    193: ("Teil in der Hand", "piece in hand", "pieza en la mano", "pezzo in mano", "pièce en main"),
    194: ("Diese Datei ist da, kann aber nicht gelesen werden. Das Spiel macht mit den Grundeinstellungen weiter und lässt die Datei, wie sie ist:",
          "This file is there but cannot be read. The game goes on with its defaults and leaves the file as it is:",
          "Este archivo existe, pero no se puede leer. El juego sigue con los valores iniciales y deja el archivo como está:",
          "Questo file c'è, ma non si può leggere. Il gioco continua con le impostazioni iniziali e lascia il file com'è:",
          "Ce fichier existe mais ne peut pas être lu. Le jeu continue avec les réglages de départ et laisse le fichier tel quel :"),
    195: ("Bild hinzufügen...", "Add picture...", "Añadir imagen...", "Aggiungi immagine...", "Ajouter une image..."),
    196: ("Waschbär im Gras", "Raccoon in the grass", "Mapache en la hierba", "Procione nell'erba", "Raton laveur dans l'herbe"),
    197: ("Die Sternennacht", "The Starry Night", "La noche estrellada", "Notte stellata", "La Nuit étoilée"),
    198: ("Hafenstadt", "Harbour town", "Pueblo portuario", "Città di porto", "Ville portuaire"),
    199: ("Kirchenfenster", "Stained-glass window", "Vidriera", "Vetrata", "Vitrail"),
    200: ("Blumenwiese", "Flower meadow", "Prado de flores", "Prato fiorito", "Prairie fleurie"),
    176: ("Gespeichertes Puzzle nicht gefunden!", "No saved puzzle found!", "¡No hay ningún puzle guardado!", "Nessun puzzle salvato trovato!", "Aucun puzzle enregistré trouvé\u00a0!"),
}

# Second lines under a key that is already there: the reader never sees them.
DUPLICATES = {
    (131, 3000): "Immagine precedente",
    (132, 3000): "Immagine successiva",
    (143, 1000): "&Frame color",
}

# Entries that end in blanks instead of the usual TAB.
BLANK_ENDINGS = {(153, 1000): "     ", (166, 0): "  ", (119, 2000): "   "}


def entry(number, lang, text):
    ending = BLANK_ENDINGS.get((number, lang), "\t")
    return "%04d=%s%s" % (lang + number, text, ending)


def main():
    lines = ["[lang]"]
    for number in sorted(TEXTS):
        texts = TEXTS[number]
        if len(texts) != len(LANGS):
            raise SystemExit("text %d: %d languages, LANGS has %d" % (number, len(texts), len(LANGS)))
        # By base, whatever the order of the flags.
        for (_, lang), text in sorted(zip(LANGS, texts), key=lambda pair: pair[0][1]):
            lines.append(entry(number, lang, text))
            if (number, lang) in DUPLICATES:
                lines.append(entry(number, lang, DUPLICATES[(number, lang)]))
    out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "custom" / "1000.lng"
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes("".join(line + "\r\n" for line in lines).encode("cp1252"))
    print("wrote", out, len(lines), "lines")


if __name__ == "__main__":
    main()
