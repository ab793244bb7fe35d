// Plovik's bridge into GNOME Shell: the input sources (listed, read, activated,
// reported as they change) and the application whose window has the focus. Written
// once for every format of extension GNOME loads; the names it uses are given by the
// wrapper that includes it: Gio, GLib, Shell, Main, Keyboard.

const PLOVIK_BUS_NAME = 'io.github.plovik.Shell';
const PLOVIK_OBJECT_PATH = '/io/github/plovik/Shell';
const PLOVIK_INTERFACE = `<node>
  <interface name="io.github.plovik.Shell">
    <method name="ListSources"><arg type="a(ss)" direction="out" name="sources"/></method>
    <method name="CurrentSource"><arg type="i" direction="out" name="index"/></method>
    <method name="ActivateSource">
      <arg type="u" direction="in" name="index"/><arg type="b" direction="out" name="done"/>
    </method>
    <method name="FocusedApplication">
      <arg type="(ssu)" direction="out" name="application"/>
    </method>
    <signal name="SourcesChanged"/>
    <signal name="SourceChanged"><arg type="i" name="index"/></signal>
    <signal name="FocusChanged"><arg type="(ssu)" name="application"/></signal>
  </interface>
</node>`;

// What the Shell itself shows with the keyboard focus: its overview and dialogs.
const PLOVIK_SHELL_ID = 'org.gnome.Shell';

var PlovikBridge = class PlovikBridge {
    enable() {
        this._manager = Keyboard.getInputSourceManager();
        this._object = Gio.DBusExportedObject.wrapJSObject(PLOVIK_INTERFACE, this);
        this._object.export(Gio.DBus.session, PLOVIK_OBJECT_PATH);
        this._name = Gio.bus_own_name(Gio.BusType.SESSION, PLOVIK_BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null, null);
        this._connections = [
            [this._manager, this._manager.connect('sources-changed',
                () => this._object.emit_signal('SourcesChanged', null))],
            [this._manager, this._manager.connect('current-source-changed',
                () => this._object.emit_signal('SourceChanged',
                    new GLib.Variant('(i)', [this.CurrentSource()])))],
            [global.display, global.display.connect('notify::focus-window',
                () => this._focusChanged())],
            [Main.overview, Main.overview.connect('showing', () => this._focusChanged())],
            [Main.overview, Main.overview.connect('hidden', () => this._focusChanged())],
        ];
    }

    disable() {
        for (const [object, id] of this._connections)
            object.disconnect(id);
        this._connections = [];
        this._object.unexport();
        Gio.bus_unown_name(this._name);
        this._object = null;
        this._manager = null;
    }

    _focusChanged() {
        this._object.emit_signal('FocusChanged',
            new GLib.Variant('((ssu))', [this.FocusedApplication()]));
    }

    _sources() {
        const sources = this._manager.inputSources;
        return Object.keys(sources).sort((a, b) => a - b).map(index => sources[index]);
    }

    ListSources() {
        return this._sources().map(source => [source.type, source.id]);
    }

    CurrentSource() {
        const current = this._manager.currentSource;
        return current ? this._sources().indexOf(current) : -1;
    }

    ActivateSource(index) {
        const source = this._sources()[index];
        if (!source)
            return false;
        // As a key binding would, without reordering the most-recently-used list.
        source.activate(false);
        return true;
    }

    // The desktop-entry id (without ".desktop") of the application in front, its
    // window class and process.
    FocusedApplication() {
        const window = global.display.focus_window;
        if (Main.overview.visible || Main.modalCount > 0 || !window)
            return [PLOVIK_SHELL_ID, '', 0];
        const app = Shell.WindowTracker.get_default().get_window_app(window);
        let id = app ? app.get_id() : '';
        // Windows without a desktop entry get a made-up application.
        if (!id || id.startsWith('window:'))
            id = window.get_gtk_application_id() || window.get_sandboxed_app_id() || '';
        if (id.endsWith('.desktop'))
            id = id.slice(0, -'.desktop'.length);
        return [id, window.get_wm_class() || '', window.get_pid()];
    }
};
