# The updater: an older install (its program files stamped 1,0,0,1) is
# brought to the release a second reference server offers (1,0,0,2), with
# one OK on the remote: the offer, the progress window, the finished state.

install="$work/install"
catalogue="$work/catalogue"
mkdir -p "$install" "$catalogue"
for f in Freshwell.exe Resources.dll Lumicaster.exe CaptionBlend.ax; do
  "$programs/lumi-version" --stamp 1.0.0.1 "$programs/$f" "$install/$f"
  "$programs/lumi-version" --stamp 1.0.0.2 "$programs/$f" "$catalogue/$f"
done
echo "demo: installed before the update:"
"$programs/lumi-version" "$install"/*.exe "$install"/*.dll "$install"/*.ax | sed "s|$install/|  |"

# Small chunks, so that the progress window stays long enough to be seen.
start_bg "$programs/lumicaster-server" --port 0 --update-catalogue "$catalogue" --chunk-size 4096 \
  >/dev/null 2>"$work/update-server.err"
# Packing the release takes the server a moment.
for _ in $(seq 600); do grep -q listening "$work/update-server.err" && break; sleep 0.1; done
update_port=$(grep -o 'listening on 127.0.0.1:[0-9]*' "$work/update-server.err" | cut -d: -f2)

# The updater works on the program folder the registry names.
hive="$LUMICASTER_REGISTRY_DIR/HKEY_CURRENT_USER.reg"
sed -i "s|^\"Path\"=\".*\"|\"Path\"=\"$install/\"|" "$hive"

LUMICASTER_SERVER_PORT=$update_port start_bg "$install/Freshwell.exe" show >"$work/updater.log" 2>&1
wait_for Freshwell
for _ in $(seq 100); do "$lumictl" list --all 2>/dev/null | grep -q MessageDlg && break; sleep 0.1; done
sleep 0.5
screenshot updater-offer
"$lumictl" key Freshwell 13
sleep 0.25
screenshot updater-progress
for _ in $(seq 600); do [ -e "$install/Freshwell.exe.Update" ] && break; sleep 0.1; done
sleep 0.5
screenshot updater-finished
"$lumictl" wait-gone Freshwell --timeout 30000 || true
echo "demo: installed after the update (\".Update\" copies wait for the manager):"
"$programs/lumi-version" "$install"/*.exe "$install"/*.dll "$install"/*.ax "$install"/*.Update | sed "s|$install/|  |"
grep -o '"Version"="[^"]*"' "$hive" | sed 's/^/  registry: /'
sed -i "s|^\"Path\"=\".*\"|\"Path\"=\"$data\"|" "$hive"
